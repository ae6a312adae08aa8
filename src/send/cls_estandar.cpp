#include "send/cls_estandar.h"

#include <functional>

#include "core/shared_routines.h"
#include "send/cls_rutinas.h"

namespace cnc {

namespace {

constexpr int kIntentos = 3;

// The 32-bit value the keys are compared as.
int32_t Llave32(const Registros& rs, const std::string& campo) {
    return static_cast<int32_t>(rs.Entero(campo));
}

// The Id of the first row of the source; when there is none, adds it and looks again, a few times at most
// (a row that cannot be added gives 0 instead of an endless loop).
int32_t BuscaOAgrega(Conexion& cn, const std::string& fuente,
                     const std::function<void(BasesDD&, Registros&)>& agrega) {
    BasesDD bd;
    Registros rs;
    if (bd.AbrirTabla(rs, cn, fuente, "Id") && !rs.Eof()) return static_cast<int32_t>(rs.Entero("Id"));
    for (int i = 0; i < kIntentos && cn.Abierta(); ++i) {
        agrega(bd, rs);
        if (bd.AbrirTabla(rs, cn, fuente, "Id") && !rs.Eof()) return static_cast<int32_t>(rs.Entero("Id"));
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

bool clsEstandar::AbreAmbas() {
    // The stop flag too: a stage 8 that never reached ESPEJO must not advance the cut-off.
    if (!AbreLocal()) {
        AvisaDesconexion(HandleBitacora, true);
        Mod.Detener = true;
        return false;
    }
    if (!AbreEspejo()) {
        AvisaDesconexion(HandleBitacora, false);
        Mod.Detener = true;
        return false;
    }
    return true;
}

bool clsEstandar::PreparaRenglon(const std::string& clave, clsRutinas* rutinas, std::string& titulo) {
    if (!AbreLocal()) {
        AvisaDesconexion(HandleBitacora, true);
        Mod.Detener = true;
        return false;
    }
    titulo = kvtx8::Mayusculas(Tabla) + ". Registro " + std::to_string(Mod.Ciclo.RegistroActual()) + " de " +
             std::to_string(Mod.Ciclo.RegistrosTotales()) + "\nCopiando " + Llave + " " + clave;
    Ventana().TablaActual(titulo);
    if (!AbreEspejo()) {
        AvisaDesconexion(HandleBitacora, false);
        Mod.Detener = true;
        return false;
    }
    if (rutinas) rutinas->BdR = &espejo_;
    return true;
}

void clsEstandar::Falla(const std::string& clave, const std::string& error) {
    ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- No se copió " + Tabla + ", " +
                                     Llave + " " + clave + ": " + error);
    Mod.Detener = true;
}

bool clsEstandar::Inserta(const Registros& local, const Registros& estructura,
                          const std::vector<std::string>& campos, const std::string& excepto,
                          const std::string& clave) {
    // A copy each time: the structure record set stays empty, however many rows are added.
    Registros nuevo = estructura;
    nuevo.AddNew();
    PasaCampos(local, nuevo, campos, excepto);
    if (nuevo.Update()) return true;
    Falla(clave, nuevo.Error());
    return false;
}

bool clsEstandar::LlaveLibre(const std::string& claveSQL, bool& libre) {
    Registros rs;
    if (!Mod.BDRemota.AbrirTabla(rs, espejo_, TablaSQL() + " WHERE " + LlaveSQL() + "=" + claveSQL, Llave)) {
        Falla(claveSQL, espejo_.MensajeError());
        return false;
    }
    libre = rs.Eof();
    return true;
}

void clsEstandar::LlamaRutina(clsRutinas& rutinas, const std::string& Rutina, Registros& local) {
    if (Rutina == "LosClientes") {
        rutinas.ClientesProveedores(local, "clientes");
    } else if (Rutina == "LosProveedores") {
        rutinas.ClientesProveedores(local, "proveedores");
    } else if (!rutinas.Llama(Rutina, local)) {
        Mod.Detener = true;
    }
}

std::unique_ptr<clsRutinas> clsEstandar::CreaRutinas(const std::string& Rutina) {
    if (Rutina.empty()) return nullptr;
    auto rutinas = std::make_unique<clsRutinas>();
    rutinas->BdL = ConexionLocal;
    rutinas->BdR = &espejo_;
    return rutinas;
}

void clsEstandar::ExportarInfo(const std::string& Rutina) {
    kvtx8::ConcentradorBasesDD llaves;
    std::unique_ptr<clsRutinas> rutinas = CreaRutinas(Rutina);
    auto& ciclo = Mod.Ciclo;
    ciclo.Llave = Llave;
    ciclo.Tabla = Tabla;
    ciclo.Condicion = LlaveSQL() + ">" + std::to_string(UltimoFolio);

    if (!AbreAmbas()) return;

    Registros estructura, local;
    std::vector<std::string> unicas, campos;
    if (!Mod.BDRemota.AbrirTabla(estructura, espejo_, TablaSQL() + " LIMIT 0")) {
        // Without the ESPEJO columns every row would be written empty.
        Falla("", espejo_.MensajeError());
        Ventana().Ceder();
        return;
    }
    llaves.ObtenerLlaveUnica(espejo_, Tabla, unicas);
    if (ciclo.AbrirTabla(local, *ConexionLocal, Limite)) {
        Mod.BDRemota.ObtenerEstructura(estructura, campos);
        while (!ciclo.Eof()) {
            const std::string clave = local.Texto(Llave);
            const std::string claveSQL = kvtx8::NumeroSQL(clave);
            std::string titulo;
            if (!PreparaRenglon(clave, rutinas.get(), titulo)) break;

            bool atendida = false, nueva = false;
            if (!unicas.empty()) {
                const std::string condicion = llaves.CadenaLlaveUnica(local, unicas, espejo_);
                if (!condicion.empty()) {
                    Registros porUnica;
                    if (!Mod.BDRemota.AbrirTabla(porUnica, espejo_, TablaSQL() + " WHERE " + condicion,
                                                 Llave)) {
                        Falla(clave, espejo_.MensajeError());
                        break;
                    }
                    if (porUnica.Eof()) {
                        Ventana().TablaActual(titulo + ". ( X )");
                        if (!Inserta(local, estructura, campos, "", clave)) break;
                        Registros otraVez;
                        Mod.BDRemota.AbrirTabla(otraVez, espejo_, TablaSQL() + " WHERE " + condicion, Llave);
                        atendida = nueva = !otraVez.Eof();
                    } else {
                        const int32_t suya = Llave32(porUnica, Llave);
                        bool libre = false;
                        if (Llave32(local, Llave) > suya) {
                            if (!LlaveLibre(claveSQL, libre)) break;
                            if (libre) {
                                if (!espejo_.Ejecutar("UPDATE " + TablaSQL() + " SET " + LlaveSQL() + "=" +
                                                      claveSQL + " WHERE " + LlaveSQL() + "=" +
                                                      std::to_string(suya))) {
                                    Falla(clave, espejo_.MensajeError());
                                    break;
                                }
                                atendida = true;
                            }
                        }
                    }
                }
            }
            if (!atendida) {
                bool libre = false;
                if (!LlaveLibre(claveSQL, libre)) break;
                if (!libre) {
                    Ventana().TablaActual(titulo + ". ( X )");
                } else {
                    Ventana().TablaActual(titulo + ". ( Nuevo )");
                    Ventana().Ceder();
                    if (!Inserta(local, estructura, campos, "", clave)) break;
                    VerificaNuevo(claveSQL, campos);
                    nueva = true;
                }
            }
            Ventana().Ceder();
            // A row added through its unique key is new as well: its routine runs too.
            if (nueva && rutinas) LlamaRutina(*rutinas, Rutina, local);
            if (Mod.Detener) break;
            ciclo.SiguienteRegistro();
        }
        if (!Mod.Detener && Rutina == "ElKardex") rutinas->PasarProductosLista();
    }
    ciclo.Cierra();
    Mod.BDLocal.CierraTabla(local);
    Mod.BDRemota.CierraTabla(estructura);
    Ventana().Ceder();
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
    Mod.BDRemota.ActualizaRegistro(suyo, espejo_, Tabla, distintos, valores, Llave + "=" + claveSQL);
}

void clsEstandar::ExportarTabla(const std::string& Rutina) {
    std::unique_ptr<clsRutinas> rutinas = CreaRutinas(Rutina);
    auto& ciclo = Mod.Ciclo;
    ciclo.Llave = Llave;
    ciclo.Tabla = Tabla;
    // The hub's own control keys stay local.
    ciclo.Condicion = kvtx8::Minusculas(Tabla) == "configura" ? "DATO NOT LIKE 'CNC%'" : "";

    if (!AbreAmbas()) return;
    Registros estructura, local;
    std::vector<std::string> campos;
    if (!Mod.BDRemota.AbrirTabla(estructura, espejo_, TablaSQL() + " LIMIT 0")) {
        Falla("", espejo_.MensajeError());
        return;
    }
    if (ciclo.AbrirTabla(local, *ConexionLocal, Limite)) {
        Mod.BDRemota.ObtenerEstructura(estructura, campos);
        if (rutinas) rutinas->IniciaPorTabla();
        while (!ciclo.Eof()) {
            const std::string clave = local.Texto(Llave);
            std::string titulo;
            if (!PreparaRenglon(clave, rutinas.get(), titulo)) break;
            Registros suyo;
            if (!Mod.BDRemota.AbrirTabla(
                    suyo, espejo_, TablaSQL() + " WHERE " + LlaveSQL() + "='" + espejo_.Escapar(clave) + "'",
                    "*", true)) {
                Falla(clave, espejo_.MensajeError());
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
            if (rutinas) LlamaRutina(*rutinas, Rutina, local);
            Ventana().Ceder();
            if (Mod.Detener) break;
            ciclo.SiguienteRegistro();
        }
    }
    ciclo.Cierra();
    Mod.BDLocal.CierraTabla(local);
    Mod.BDRemota.CierraTabla(estructura);
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

int32_t clsEstandar::ObtenerIdPorNombre(const std::string& nombre, const std::string& tabla, Conexion& cn,
                                        const std::string& campo) {
    if (nombre.empty()) return 0;
    const std::string fuente = tabla + " WHERE " + campo + " = '" + cn.Escapar(nombre) + "'";
    return BuscaOAgrega(
        cn, fuente, [&](BasesDD& bd, Registros& rs) { bd.AgregaRegistro(rs, cn, tabla, {campo}, {nombre}); });
}

int32_t clsEstandar::ObtenerIdSubLinea(const std::string& subLinea, int32_t idLinea, Conexion& cn) {
    if (subLinea.empty() || idLinea == 0) return 0;
    const std::string fuente = "sublineas WHERE IdLinea = " + std::to_string(idLinea) + " AND SubLinea = '" +
                               cn.Escapar(subLinea) + "'";
    return BuscaOAgrega(cn, fuente, [&](BasesDD& bd, Registros& rs) {
        bd.AgregaRegistro(rs, cn, "sublineas", {"IdLinea", "SubLinea"}, {std::to_string(idLinea), subLinea});
    });
}

}  // namespace cnc
