#include "send/cls_estandar.h"

#include <functional>

#include "core/shared_routines.h"
#include "send/cls_rutinas.h"

namespace cnc {

namespace {

constexpr int kIntentos = 3;
constexpr const char* kPendientes = "concentradorqmx.rutinaspendientes";

// The Id of the first row of the source; when there is none, adds it and looks again, a few times at most
// (a row that cannot be added gives 0 instead of an endless loop).
int64_t BuscaOAgrega(Conexion& cn, const std::string& fuente,
                     const std::function<void(BasesDD&, Registros&)>& agrega) {
    BasesDD bd;
    Registros rs;
    if (bd.AbrirTabla(rs, cn, fuente, "Id") && !rs.Eof()) return rs.Entero("Id");
    for (int i = 0; i < kIntentos && cn.Abierta(); ++i) {
        agrega(bd, rs);
        if (bd.AbrirTabla(rs, cn, fuente, "Id") && !rs.Eof()) return rs.Entero("Id");
    }
    return 0;
}

}  // namespace

clsEstandar::clsEstandar() = default;

clsEstandar::~clsEstandar() {
    Mod.BDRemota.CierraBdD(espejo_);
}

void clsEstandar::Cronos(const std::string& valor) {
    if (!valor.empty()) cronos_ = valor;
}

bool clsEstandar::AbreLocal() {
    return ConexionLocal && AbreBaseLocal(*ConexionLocal);
}

bool clsEstandar::AbreEspejo() {
    return AbreBaseEspejo(espejo_);
}

Resultado clsEstandar::Final() const {
    return ContextoCiclo::Detenido() ? Peor(resultado_, Resultado::Interrumpido) : resultado_;
}

bool clsEstandar::AbreAmbas() {
    if (!AbreLocal()) return SinConexion(true);
    if (!AbreEspejo()) return SinConexion(false);
    return true;
}

bool clsEstandar::PreparaRenglon(const std::string& clave, clsRutinas* rutinas, std::string& titulo) {
    titulo = kvtx8::Mayusculas(Tabla) + ". Registro " + std::to_string(Mod.Ciclo.RegistroActual()) + " de " +
             std::to_string(Mod.Ciclo.RegistrosTotales()) + "\nCopiando " + Llave + " " + clave;
    // One retry window per lost connection, not two.
    if (!AbreLocal()) return SinConexion(true);
    Ventana().TablaActual(titulo);
    if (!AbreEspejo()) return SinConexion(false);
    if (rutinas) rutinas->BdR = &espejo_;
    return true;
}

bool clsEstandar::SinConexion(bool local) {
    AvisaDesconexion(HandleBitacora, local);
    resultado_ = Peor(resultado_, Resultado::SinConexion);
    return false;
}

void clsEstandar::Falla(const std::string& clave, const std::string& error) {
    ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- No se copió " + Tabla + ", " +
                                     Llave + " " + clave + ": " + error);
    resultado_ = Peor(resultado_, Resultado::Incompleto);
}

void clsEstandar::FallaEspejo(const std::string& clave) {
    Falla(clave, espejo_.MensajeError());
    if (!espejo_.Abierta()) resultado_ = Peor(resultado_, Resultado::SinConexion);
}

bool clsEstandar::Inserta(const Registros& local, const Registros& estructura,
                          const std::vector<std::string>& campos, const std::string& excepto,
                          const std::string& clave) {
    // A copy each time: the structure record set stays empty, however many rows are added.
    Registros nuevo = estructura;
    nuevo.AddNew();
    PasaCampos(local, nuevo, campos, excepto);
    // The insert and its routine are one unit: the mark survives a crash between them.
    if (marcaRutinas_ && !MarcaRutinasPendientes({clave})) return false;
    if (nuevo.Update()) return true;
    Falla(clave, nuevo.Error());
    return false;
}

bool clsEstandar::LlaveLibre(const std::string& claveSQL, bool& libre) {
    Registros rs;
    if (!Mod.BDRemota.AbrirTabla(rs, espejo_, TablaSQL() + " WHERE " + LlaveSQL() + "=" + claveSQL, Llave)) {
        FallaEspejo(claveSQL);
        return false;
    }
    libre = rs.Eof();
    return true;
}

clsEstandar::PorUnica clsEstandar::AtiendePorUnica(const Registros& local,
                                                   const std::vector<std::string>& unicas,
                                                   const Registros& estructura,
                                                   const std::vector<std::string>& campos,
                                                   const std::string& excepto, Mover mover) {
    if (unicas.empty()) return PorUnica::NoAtendida;
    kvtx8::ConcentradorBasesDD llaves;
    const std::string condicion = llaves.CadenaLlaveUnica(local, unicas, espejo_);
    if (condicion.empty()) return PorUnica::NoAtendida;
    const std::string clave = local.Texto(Llave);
    Registros porUnica;
    if (!Mod.BDRemota.AbrirTabla(porUnica, espejo_, TablaSQL() + " WHERE " + condicion, Llave)) {
        FallaEspejo(clave);
        return PorUnica::Fallo;
    }
    if (porUnica.Eof()) {
        if (!Inserta(local, estructura, campos, excepto, clave)) return PorUnica::Fallo;
        Registros otraVez;
        Mod.BDRemota.AbrirTabla(otraVez, espejo_, TablaSQL() + " WHERE " + condicion, Llave);
        return otraVez.Eof() ? PorUnica::NoAtendida : PorUnica::Insertada;
    }
    // Keys compared as 64-bit numbers on both exports.
    const int64_t suya = porUnica.Entero(Llave), mia = local.Entero(Llave);
    if (mover == Mover::SiEsMayor ? mia <= suya : mia == suya) return PorUnica::NoAtendida;
    bool libre = false;
    const std::string claveSQL = std::to_string(mia);
    if (!LlaveLibre(claveSQL, libre)) return PorUnica::Fallo;
    if (!libre) return PorUnica::NoAtendida;
    if (!espejo_.Ejecutar("UPDATE " + TablaSQL() + " SET " + LlaveSQL() + "=" + claveSQL + " WHERE " +
                          LlaveSQL() + "=" + std::to_string(suya))) {
        FallaEspejo(clave);
        return PorUnica::Fallo;
    }
    return PorUnica::Movida;
}

bool clsEstandar::MarcaRutinasPendientes(const std::vector<std::string>& claves, bool anota) {
    if (claves.empty()) return true;
    std::string valores;
    for (const auto& c : claves)
        valores += (valores.empty() ? "(" : ",(") + ConexionLocal->Literal(Tabla) + "," +
                   ConexionLocal->Literal(c) + ")";
    if (ConexionLocal->Ejecutar("INSERT IGNORE INTO " + std::string(kPendientes) + " (Tabla, Clave) VALUES " +
                                valores))
        return true;
    if (anota) Falla(claves.front(), ConexionLocal->MensajeError());
    return false;
}

bool clsEstandar::QuitaRutinasPendientes(const std::vector<std::string>& claves) {
    if (claves.empty()) return true;
    std::string lista;
    for (const auto& c : claves) lista += (lista.empty() ? "" : ",") + ConexionLocal->Literal(c);
    if (ConexionLocal->Ejecutar("DELETE FROM " + std::string(kPendientes) +
                                " WHERE Tabla=" + ConexionLocal->Literal(Tabla) + " AND Clave IN (" + lista +
                                ")"))
        return true;
    Falla(claves.front(), ConexionLocal->MensajeError());
    return false;
}

bool clsEstandar::RutinaTerminada(clsRutinas& rutinas, const std::string& clave) {
    if (!rutinas.Fallo()) return true;
    if (rutinas.FalloPasajero()) {
        // Still marked: the routine runs again at the next export of the table.
        ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- Rutina de " + Tabla + ", " +
                                         Llave + " " + clave + " pendiente para el siguiente envío");
        const bool conectado = ConexionLocal->Abierta() && espejo_.Abierta();
        resultado_ = Peor(resultado_, conectado ? Resultado::Incompleto : Resultado::SinConexion);
        return false;
    }
    // It will never go (a table or column the ESPEJO lacks): written down, and the export goes on.
    ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- No se completó la rutina de " + Tabla +
                                     ", " + Llave + " " + clave);
    rutinas.OlvidaFallo();
    return true;
}

bool clsEstandar::CierraRutina(clsRutinas& rutinas, const std::string& clave) {
    return RutinaTerminada(rutinas, clave) && QuitaRutinasPendientes({clave});
}

bool clsEstandar::RutinasDelBloque(clsRutinas& rutinas, const RutinaDeTabla& rutina, Registros& local,
                                   const std::vector<size_t>& nuevas) {
    const size_t donde = local.Posicion();
    std::vector<std::string> hechas;
    bool sigue = true;
    for (size_t pos : nuevas) {
        // Those not reached keep their marks and run at the next export.
        if (ContextoCiclo::Detenido()) break;
        local.IrA(pos);
        const std::string clave = local.Texto(Llave);
        if (!AbreEspejo()) {
            sigue = SinConexion(false);
            break;
        }
        rutinas.BdR = &espejo_;
        rutina.porRenglon(rutinas, local);
        Ventana().Ceder();
        if (!RutinaTerminada(rutinas, clave)) {
            sigue = false;
            break;
        }
        hechas.push_back(clave);
    }
    local.IrA(donde);
    // The local server may be gone: the marks stay and the routines run again, which they bear.
    return QuitaRutinasPendientes(hechas) && sigue;
}

bool clsEstandar::CorreRutinasPendientes(clsRutinas& rutinas, const RutinaDeTabla& rutina) {
    Registros pendientes;
    if (!Mod.BDLocal.AbrirTabla(
            pendientes, *ConexionLocal,
            std::string(kPendientes) + " WHERE Tabla=" + ConexionLocal->Literal(Tabla) + " ORDER BY Clave",
            "Clave")) {
        Falla("", ConexionLocal->MensajeError());
        return false;
    }
    for (; !pendientes.Eof(); pendientes.MoveNext()) {
        const std::string clave = pendientes.Texto("Clave");
        const std::string donde = " WHERE " + LlaveSQL() + "=" + ConexionLocal->Literal(clave);
        Registros local, suyo;
        if (!Mod.BDLocal.AbrirTabla(local, *ConexionLocal, TablaSQL() + donde)) {
            Falla(clave, ConexionLocal->MensajeError());
            return false;
        }
        if (!AbreEspejo()) return SinConexion(false);
        if (!Mod.BDRemota.AbrirTabla(suyo, espejo_, TablaSQL() + donde, Llave)) {
            FallaEspejo(clave);
            return false;
        }
        // A row that never reached ESPEJO is simply new again: the export sends it with its routine.
        if (!local.Eof() && !suyo.Eof()) {
            rutinas.BdR = &espejo_;
            rutina.porRenglon(rutinas, local);
            if (!CierraRutina(rutinas, clave)) return false;
        } else if (!QuitaRutinasPendientes({clave})) {
            return false;
        }
    }
    return true;
}

Resultado clsEstandar::ExportarInfo() {
    resultado_ = Resultado::Completo;
    bloquesEnviados_ = 0;
    const RutinaDeTabla* rutina = RutinaDe(Tabla);
    std::unique_ptr<clsRutinas> rutinas;
    marcaRutinas_ = rutina != nullptr;
    struct SinMarcas {
        bool& m;
        ~SinMarcas() { m = false; }
    } sinMarcas{marcaRutinas_};
    if (rutina) {
        rutinas = std::make_unique<clsRutinas>();
        rutinas->BdL = ConexionLocal;
        rutinas->BdR = &espejo_;
        rutinas->HandleBitacora = HandleBitacora;
    }
    auto& ciclo = Mod.Ciclo;
    ciclo.Llave = Llave;
    ciclo.Tabla = Tabla;
    // A negative watermark would resend the whole table every cycle.
    ciclo.Condicion = LlaveSQL() + ">" + std::to_string(std::max<int64_t>(0, UltimoFolio));

    if (!AbreAmbas()) return Final();
    if (rutinas && !CorreRutinasPendientes(*rutinas, *rutina)) return Final();

    Registros estructura, local;
    std::vector<std::string> unicas, campos;
    if (!Mod.BDRemota.AbrirTabla(estructura, espejo_, TablaSQL() + " LIMIT 0")) {
        // Without the ESPEJO columns every row would be written empty.
        FallaEspejo("");
        Ventana().Ceder();
        return Final();
    }
    kvtx8::ConcentradorBasesDD().ObtenerLlaveUnica(espejo_, Tabla, unicas);
    if (!ciclo.AbrirTabla(local, *ConexionLocal, Limite)) {
        Falla("", ConexionLocal->MensajeError());
    } else {
        Mod.BDRemota.ObtenerEstructura(estructura, campos);
        const bool porBloques = !SoloPorRenglon && AdmiteBloques();
        // Left on for the whole table rather than switched at every block.
        // Not under a routine: it runs statements read from the company, which stay one statement each.
        std::optional<kvtx8::Conexion::VariasSentencias> varias;
        if (porBloques && !rutina) varias.emplace(espejo_);
        int porRenglon = 0;  // the block that goes row by row
        while (!ciclo.Eof() && !ContextoCiclo::Detenido()) {
            if (porBloques && ciclo.Bloques() != porRenglon) {
                const Bloque b = ExportaBloque(local, unicas, estructura, campos, Modo::Info,
                                               ciclo.RegistroActual(), ciclo.RegistrosTotales());
                if (b.hecho) {
                    // Each new row's routine follows its block, as it follows its row row by row.
                    if (rutinas && !RutinasDelBloque(*rutinas, *rutina, local, b.nuevas)) break;
                    for (size_t i = 0; i < b.filas; ++i) ciclo.SiguienteRegistro();
                    continue;
                }
                porRenglon = ciclo.Bloques();
            }
            const std::string clave = local.Texto(Llave);
            const std::string claveSQL = kvtx8::NumeroSQL(clave);
            std::string titulo;
            if (!PreparaRenglon(clave, rutinas.get(), titulo)) break;
            const PorUnica porUnica =
                AtiendePorUnica(local, unicas, estructura, campos, "", Mover::SiEsMayor);
            if (porUnica == PorUnica::Insertada) Ventana().TablaActual(titulo + ". ( X )");
            bool nueva = porUnica == PorUnica::Insertada;
            bool sigue = porUnica != PorUnica::Fallo;
            if (porUnica == PorUnica::NoAtendida) {
                bool libre = false;
                if (!LlaveLibre(claveSQL, libre)) {
                    sigue = false;
                } else if (!libre) {
                    Ventana().TablaActual(titulo + ". ( X )");
                } else {
                    Ventana().TablaActual(titulo + ". ( Nuevo )");
                    Ventana().Ceder();
                    sigue = Inserta(local, estructura, campos, "", clave);
                    if (sigue) VerificaNuevo(claveSQL, campos);
                    nueva = sigue;
                }
            }
            if (!sigue) {
                // A refused insert may have left its mark: the row is not in ESPEJO, no routine is owed.
                if (rutinas) QuitaRutinasPendientes({clave});
                break;
            }
            Ventana().Ceder();
            // A row added through its unique key is new as well: its routine runs too.
            if (rutinas && nueva) {
                rutina->porRenglon(*rutinas, local);
                if (!CierraRutina(*rutinas, clave)) break;
            }
            if (resultado_ != Resultado::Completo) break;
            ciclo.SiguienteRegistro();
        }
        if (ciclo.Fallo()) Falla("", ConexionLocal->MensajeError());
        if (resultado_ == Resultado::Completo && !ContextoCiclo::Detenido() && rutina && rutina->alTerminar) {
            rutina->alTerminar(*rutinas);
            if (rutinas->Fallo()) Falla("", "rutina " + Tabla);
        }
    }
    ciclo.Cierra();
    Mod.BDLocal.CierraTabla(local);
    Mod.BDRemota.CierraTabla(estructura);
    Ventana().Ceder();
    return Final();
}

void clsEstandar::VerificaNuevo(const std::string& claveSQL, const std::vector<std::string>& campos) {
    const long long ultimo = Mod.BDRemota.LastId(espejo_, Tabla, Llave);
    if (ultimo != 0) return;
    Registros local, suyo;
    const std::string fuente = TablaSQL() + " WHERE " + LlaveSQL() + "=" + claveSQL;
    if (!Mod.BDLocal.AbrirTabla(local, *ConexionLocal, fuente) || local.Eof()) return;
    if (!Mod.BDRemota.AbrirTabla(suyo, espejo_, fuente)) return;
    std::vector<std::string> distintos;
    std::vector<Valor> valores;
    for (const auto& c : campos) {
        if (!local.TieneCampo(c)) continue;
        if (local.Texto(c) != suyo.Texto(c)) {
            distintos.push_back(c);
            valores.push_back(local.Dato(c));
        }
    }
    if (distintos.empty()) return;
    ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- Diferencias en " + Tabla + ", " +
                                     Llave + " " + claveSQL + " y " + std::to_string(ultimo));
    Mod.BDRemota.ActualizaRegistro(suyo, espejo_, Tabla, distintos, valores, LlaveSQL() + "=" + claveSQL);
}

Resultado clsEstandar::ExportarTabla() {
    resultado_ = Resultado::Completo;
    auto& ciclo = Mod.Ciclo;
    ciclo.Llave = Llave;
    ciclo.Tabla = Tabla;
    // The hub's own control keys stay local.
    ciclo.Condicion = kvtx8::Minusculas(Tabla) == "configura" ? "DATO NOT LIKE 'CNC%'" : "";

    if (!AbreAmbas()) return Final();
    Registros estructura, local;
    std::vector<std::string> campos;
    if (!Mod.BDRemota.AbrirTabla(estructura, espejo_, TablaSQL() + " LIMIT 0")) {
        FallaEspejo("");
        return Final();
    }
    if (!ciclo.AbrirTabla(local, *ConexionLocal, Limite)) {
        Falla("", ConexionLocal->MensajeError());
    } else {
        Mod.BDRemota.ObtenerEstructura(estructura, campos);
        while (!ciclo.Eof() && !ContextoCiclo::Detenido()) {
            const std::string clave = local.Texto(Llave);
            std::string titulo;
            if (!PreparaRenglon(clave, nullptr, titulo)) break;
            Registros suyo;
            if (!Mod.BDRemota.AbrirTabla(
                    suyo, espejo_, TablaSQL() + " WHERE " + LlaveSQL() + "='" + espejo_.Escapar(clave) + "'",
                    "*", true)) {
                FallaEspejo(clave);
                break;
            }
            if (!suyo.Eof()) {
                Ventana().TablaActual(titulo + ". ( X )");
            } else {
                Ventana().TablaActual(titulo + ". ( Nuevo )");
                suyo.AddNew();
            }
            PasaCampos(local, suyo, campos, "");
            if (!suyo.Update()) {
                Falla(clave, suyo.Error());
                break;
            }
            Ventana().Ceder();
            ciclo.SiguienteRegistro();
        }
        // A block that could not be read ends the walk early: the copy is not complete.
        if (ciclo.Fallo()) Falla("", ConexionLocal->MensajeError());
    }
    ciclo.Cierra();
    Mod.BDLocal.CierraTabla(local);
    Mod.BDRemota.CierraTabla(estructura);
    return Final();
}

void clsEstandar::PasaCampos(const Registros& origen, Registros& destino,
                             const std::vector<std::string>& campos, const std::string& excepto) {
    const std::string fuera = kvtx8::Minusculas(excepto);
    for (const auto& c : campos) {
        if (!fuera.empty() && kvtx8::Minusculas(c) == fuera) continue;
        // A column the source lacks keeps the destination's default instead of a NULL.
        if (!origen.TieneCampo(c)) continue;
        destino.Poner(c, origen.Dato(c));
    }
}

int64_t clsEstandar::ObtenerIdPorNombre(const std::string& nombre, const std::string& tabla, Conexion& cn,
                                        const std::string& campo) {
    if (nombre.empty()) return 0;
    const std::string fuente = kvtx8::Identificador(tabla) + " WHERE " + kvtx8::Identificador(campo) +
                               " = '" + cn.Escapar(nombre) + "'";
    return BuscaOAgrega(
        cn, fuente, [&](BasesDD& bd, Registros& rs) { bd.AgregaRegistro(rs, cn, tabla, {campo}, {nombre}); });
}

int64_t clsEstandar::ObtenerIdSubLinea(const std::string& subLinea, int64_t idLinea, Conexion& cn) {
    if (subLinea.empty() || idLinea == 0) return 0;
    const std::string fuente = "sublineas WHERE IdLinea = " + std::to_string(idLinea) + " AND SubLinea = '" +
                               cn.Escapar(subLinea) + "'";
    return BuscaOAgrega(cn, fuente, [&](BasesDD& bd, Registros& rs) {
        bd.AgregaRegistro(rs, cn, "sublineas", {"IdLinea", "SubLinea"}, {std::to_string(idLinea), subLinea});
    });
}

}  // namespace cnc
