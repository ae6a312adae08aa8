#include "connection/cls_conectar.h"

#include "connection/cls_descargas.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "documents/cls_de_alertas.h"
#include "documents/cls_subir_pedidos.h"
#include "documents/tipos_de_documentos.h"
#include "receive/colas_aplicadas.h"
#include "receive/etapas_recepcion.h"
#include "send/cls_copia_maestra.h"

namespace cnc {

using kvtx8::CambXXXSQL;
using kvtx8::EsVersion;
using kvtx8::VersionVB;

namespace {

const char* const kCRLF = "\r\n";

// Rows whose per-table routine did not run yet: a crash between the insert and the routine leaves them here.
constexpr const char* kCreaRutinasPendientes =
    "CREATE TABLE IF NOT EXISTS concentradorqmx.rutinaspendientes (Tabla VARCHAR(64) NOT NULL DEFAULT '', "
    "Clave VARCHAR(64) NOT NULL DEFAULT '', PRIMARY KEY (Tabla, Clave))";

// The controls a connection disables and gives back.
const Control kControles[] = {Control::cmdTerminar, Control::Label_5,   Control::lblInfo,
                              Control::Command10,   Control::Command11, Control::cmdConexion};

}  // namespace

int clsConectar::ComparaVersiones(const std::string& minima, const std::string& local,
                                  const std::string& remota) {
    const double m = VersionVB(minima), l = VersionVB(local), r = VersionVB(remota);
    int banderas = 0;
    if (r > l) banderas |= kRemotaMayor;
    if (m > l) banderas |= kLocalMenorAMinima;
    if (m > r) banderas |= kRemotaMenorAMinima;
    return banderas;
}

void clsConectar::MostrarAviso(const std::string& texto) {
    Ventana().Aviso(texto);
    Ventana().Bip();
}

void clsConectar::BuscaMatriz(kvtx8::Conexion& hub, const kvtx8::Registros& espejo, std::string& matriz) {
    matriz.clear();
    kvtx8::Registros rs;
    Mod.BDRemota.AbrirTabla(rs, hub,
                            "empresas where Clasificacion='" + hub.Escapar(espejo.Texto("Clasificacion")) +
                                "' and Licencia='' and Equipo='' order by Id limit 1");
    if (!rs.Eof()) matriz = kvtx8::Minusculas(rs.Texto("BaseDeDatos"));
    rs.Cerrar();
}

void clsConectar::RevisaVersionMinima(kvtx8::Conexion& hub, int b, bool& terminar) {
    terminar = false;
    EscribeBitacora(b, "Revisa la indicación de versión mínima");
    kvtx8::Registros rs;
    Mod.BDRemota.AbrirTabla(rs, hub, "concentradorqmx.configuracion WHERE Dato = 'VERSIONMINIMA'");
    if (rs.Eof()) {
        EscribeBitacora(b, "     Error, no se localizó el dato indicativo");
        return;
    }
    const std::string propia = VersionDelPrograma();
    const std::string indicada = rs.Texto("Contenido");
    EscribeBitacora(b, "     Actual  : " + propia);
    EscribeBitacora(b, "     Indicada: " + indicada);
    if (VersionVB(propia) < VersionVB(indicada)) {
        EscribeBitacora(b, "     Descargará la nueva versión");
        clsDescargas d;
        bool manual = false, forzado = true;
        d.VerificaVersiones(manual, forzado, terminar);
        EscribeBitacora(b, "     Descarga terminada");
    } else {
        EscribeBitacora(b, "     No se requiere descargar");
    }
    rs.Cerrar();
}

bool clsConectar::CopiaSucursal(int b, kvtx8::Conexion& espejo, kvtx8::Conexion& local) {
    const std::string leido = Mod.BDRemota.LeeDato("cncTipoSucursal", espejo, "configura");
    const uint8_t tipo = ComoByte(leido, 250);
    // An unreadable type is not copied: the local company keeps the last good one.
    if (tipo == 250 && !kvtx8::Recorta(leido).empty() && kvtx8::Recorta(leido) != "250")
        EscribeBitacora(b, "El tipo de sucursal de la ESPEJO no es un número de 0 a 255: '" + leido + "'");
    if (tipo != 250) Mod.BDLocal.GrabaDato("cncTipoSucursal", std::to_string(tipo), local, "configura");
    Mod.TipoSucursal = tipo;

    if (tipo == 0) {
        for (int n = 1; n <= 50; ++n) {
            const std::string sn = std::to_string(n);
            Mod.EnviarPrecio[n] = false;
            Mod.EnviarFormula[n] = false;
            if (!AbreBaseEspejo(espejo)) {
                EscribeBitacora(b, "No pudo conectar a la base de datos ESPEJO: " + Mod.BDRemota.cMiBase);
                return false;
            }
            kvtx8::Registros rs;
            Mod.BDRemota.AbrirTabla(rs, espejo, "configura WHERE Dato='cncEnviarPrecio" + sn + "' LIMIT 1");
            if (!rs.Eof()) {
                Mod.EnviarPrecio[n] =
                    ComoBooleano(Mod.BDRemota.LeeDato("cncEnviarPrecio" + sn, espejo, "configura"));
                Mod.EnviarFormula[n] =
                    ComoBooleano(Mod.BDRemota.LeeDato("cncEnviarFormul" + sn, espejo, "configura"));
            }
            rs.Cerrar();
        }
    } else if (tipo == 1) {
        const std::string costo = Mod.BDRemota.LeeDato("cncCostoEnFran", espejo, "configura");
        Mod.BDLocal.GrabaDato("cncCostoEnFran", costo, local, "configura");
        Mod.CostoEnFran = ComoByte(costo, 0);
        for (int n = 1; n <= 5; ++n) {
            const std::string clave = "cncPrecio" + std::to_string(n) + "EnFran";
            const std::string precio = kvtx8::Recorta(Mod.BDRemota.LeeDato(clave, espejo, "configura"));
            Mod.BDLocal.GrabaDato(clave, precio, local, "configura");
            Mod.PrecioEnFran[n] = precio;
        }
    }
    return true;
}

void clsConectar::EnvioNormal(uint8_t modo, ContextoCiclo& ctx) {
    const int b = ctx.bitacora;
    if (!ModoDisponible(modo)) {
        EscribeBitacora(b, "Modo de conexión " + std::to_string(modo) +
                               " no disponible en esta versión: no se envió ni se recibió información");
        return;
    }
    Ventana().Estado("");
    const std::string ini = Mod.ArchivoIni.empty() ? EnCarpeta(kArchivoIni) : Mod.ArchivoIni;
    kvtx8::EscribeIni("Información", "Ultima conexión", AhoraTexto("dd/mmm/yyyy - hh:nn:ss"), ini);
    LeerUltimaConexion();
    ctx.local.Ejecutar(
        "CREATE TABLE IF NOT EXISTS concentradorqmx.productosenkardex (Clave VARCHAR(15) NOT NULL "
        "DEFAULT '', PRIMARY KEY (Clave))");
    ctx.local.Ejecutar(kCreaRutinasPendientes);
    ctx.local.Ejecutar(colas_aplicadas::kCrea);
    if (modo == 2) {
        Mod.ConexionEntregada = true;
        if (alerta_ && cnAlerta_ && !alerta_->Eof())
            clsDeAlertas().EnviarAlerta(b, *alerta_, *cnAlerta_, ctx.hub, ctx.matriz, ctx.local);
    } else if (modo == 0 || modo == 4) {
        EscribeBitacora(b, "Envío de información normal");
        Mod.ConexionEntregada = true;
        ctx.soloRecibir = modo == 4;
        std::vector<Etapa> etapas = EtapasDeRecepcion(TiposDeArchivoDeDocumentos());
        for (auto& e : EtapasDeCierre()) etapas.push_back(std::move(e));
        clsCopiaMaestra().PasarTablasYrecibir(ctx, etapas);
    } else if (modo == 1) {
        Conexion matriz;
        if (!AbreBaseRemota(matriz, ctx.matriz)) {
            EscribeBitacora(b, "No conectó para lectura de productos desde la empresa matriz");
            return;
        }
        EscribeBitacora(b, "Lectura de productos desde la empresa matriz");
        Mod.ConexionEntregada = true;
        clsCopiaMaestra().PasarProductos(ctx, matriz);
    } else {
        Mod.ConexionEntregada = true;
        clsCopiaMaestra().EnviarProductos(ctx);
    }
}

bool clsConectar::AbreLocal(ContextoCiclo& ctx, kvtx8::Registros& rsEmpresa) {
    const int b = ctx.bitacora;
    BasesDD& bdL = Mod.BDLocal;
    // 3.
    if (!AbreBase(bdL, ctx.servidorLocal, "")) {
        EscribeBitacora(b, "No abrió la base de datos general");
        return false;
    }
    EscribeBitacora(b, "Abrió la base de datos general");

    // 4.
    Mod.VersionActual = bdL.LeeDato("VersionActual", ctx.servidorLocal, "paneldecontrol");
    Mod.VersionActualVB = VersionVB(Mod.VersionActual);
    EscribeBitacora(b, "Versión actual: " + Mod.VersionActual);
    if (!EsVersion(Mod.VersionActual))
        EscribeBitacora(b, "La versión de Tarvena local no es una versión: '" + Mod.VersionActual + "'");

    // 5.
    const std::string nombre = bdL.cMiBase;
    bdL.AbrirTabla(rsEmpresa, ctx.servidorLocal,
                   CambXXXSQL("empresas WHERE BaseDeDatos='XXX'", nombre, ctx.servidorLocal));
    if (rsEmpresa.Eof()) {
        EscribeBitacora(b, "No halló la empresa " + nombre);
        return false;
    }

    // 6.
    EscribeBitacora(b, "Busca la empresa " + nombre);
    if (!AbreBaseLocal(ctx.local)) {
        EscribeBitacora(b, "No abrió la base de datos " + nombre);
        return false;
    }
    EscribeBitacora(b, "Abrió la base de datos " + nombre);
    return true;
}

bool clsConectar::LeeDatosEspejo(const kvtx8::Registros& rsEmpresa, int b) {
    // 7. Data that do not decipher would leave the component pointing nowhere (an empty server is this
    // machine), so they stop the call as an unreachable hub would.
    const kvtx8::DeAcceso& acceso = Mod.Acceso;
    std::string problemas;
    auto descifra = [&](const char* campo, int variante) {
        std::string v = acceso.DesEncripta(rsEmpresa.Texto(campo), variante);
        if (acceso.UltimoFallo())
            problemas += std::string(problemas.empty() ? "" : ", ") + campo + " no se descifra";
        return v;
    };
    const std::string base3 = descifra("BaseDeDatos3", 2);
    const std::string servidor = descifra("Servidor2", 1);
    const std::string usuario = descifra("Usuario2", 3);
    const std::string password = descifra("Conexion2", 4);
    const std::string puerto = kvtx8::Recorta(rsEmpresa.Texto("Puerto2"));
    if (problemas.empty()) {
        if (servidor.empty()) problemas = "Servidor2 vacío";
        if (base3.empty()) problemas += std::string(problemas.empty() ? "" : ", ") + "BaseDeDatos3 vacío";
    }
    // Port 0 is the server's default port, as the connection-data panel stores an empty field.
    if (!ComoPuerto(puerto))
        problemas += std::string(problemas.empty() ? "" : ", ") + "Puerto2 no es un puerto: '" + puerto + "'";
    if (!problemas.empty()) {
        EscribeBitacora(b, "Datos de conexión remotos no válidos (" + problemas + ")");
        return false;
    }
    BasesDD& bdR = Mod.BDRemota;
    bdR.cMiBase = base3;
    bdR.cRuta = servidor;
    bdR.cUsuario = usuario;
    bdR.cPassword = password;
    bdR.cPuerto = puerto;
    bdR.cCA = Mod.CAConcentrador;
    EscribeBitacora(b, "Leyó datos de conexión remotos");
    return true;
}

std::string clsConectar::MensajeDeVersiones(int banderas, const std::string& remota, int b) {
    // 9. The text of the last flag set stays.
    std::string mensaje;
    if (banderas & kRemotaMayor) {
        EscribeBitacora(b, "Versión remota mayor a la actual: " + remota);
        mensaje =
            "El servidor al que pretende conectar tiene una versión de Tarvena mayor a la de su programa, " +
            remota + " contra " + Mod.VersionActual + kCRLF;
    }
    if (banderas & kLocalMenorAMinima) {
        EscribeBitacora(b,
                        std::string("Versión mínima requerida, mayor a la actual: ") + kVersionMinimaTarvena);
        mensaje = std::string("La versión de su programa es menor a la mínima requerida.") + kCRLF +
                  kVersionMinimaTarvena + " contra " + Mod.VersionActual + kCRLF;
    }
    if (banderas & kRemotaMenorAMinima) {
        EscribeBitacora(
            b, std::string("Versión en el servidor, menor a la requerida: ") + kVersionMinimaTarvena);
        mensaje = std::string("La versión del servidor es menor a la mínima requerida.") + kCRLF +
                  kVersionMinimaTarvena + " contra " + remota + kCRLF;
    }
    mensaje += "Para evitar errores por la diferencia de versiones, este programa no enviará información";
    return mensaje;
}

bool clsConectar::ValidaHub(ContextoCiclo& ctx, int& banderas, std::string& mensaje, bool& terminar) {
    const int b = ctx.bitacora;
    BasesDD& bdR = Mod.BDRemota;
    // 8.
    if (!AbreBase(bdR, ctx.hub, "")) {
        EscribeBitacora(b, "No abrió la base de datos general, remota");
        if (!bdR.cCA.empty() && ctx.hub.ErrorDeTls())
            EscribeBitacora(b, "No se verificó el certificado del concentrador con la CA " + bdR.cCA + ": " +
                                   ctx.hub.MensajeError());
        return false;
    }
    EscribeBitacora(b, "Abrió la base de datos general, remota");
    if (!bdR.cCA.empty()) EscribeBitacora(b, "Conexión cifrada al concentrador (TLS, CA " + bdR.cCA + ")");
    RevisaVersionMinima(ctx.hub, b, terminar);
    if (terminar) return true;
    bdR.IniciaDato("CNCVERSIONMINIMA", "5.19.1", "C", "Versión mínima para el concentrador, iniciando esto",
                   ctx.hub, "paneldecontrol");
    const std::string remota = bdR.LeeDato("VersionActual", ctx.hub, "paneldecontrol");
    if (!EsVersion(remota))
        EscribeBitacora(b, "La versión de Tarvena remota no es una versión: '" + remota + "'");
    banderas = ComparaVersiones(kVersionMinimaTarvena, Mod.VersionActual, remota);
    if (banderas) mensaje = MensajeDeVersiones(banderas, remota, b);

    // 10.
    kvtx8::Registros rsEspejo;
    bdR.AbrirTabla(rsEspejo, ctx.hub, CambXXXSQL("empresas where BaseDeDatos='XXX'", bdR.cMiBase, ctx.hub));
    if (!rsEspejo.Eof()) {
        BuscaMatriz(ctx.hub, rsEspejo, ctx.matriz);
        EscribeBitacora(b, "Base de datos matriz: " + ctx.matriz);
    } else {
        EscribeBitacora(b, "No obtuvo base de datos matriz");
        mensaje =
            std::string(
                "No se pudo obtener la base de datos MATRIZ. Esto se debe a una incorrecta definición de "
                "las empresas.") +
            kCRLF + "Una empresa MATRIZ debe tener CLASIFICACIÓN, pero no NÚMERO DE LICENCIA" + kCRLF +
            "ni nombre de EQUIPO en su configuración)";
    }
    rsEspejo.Cerrar();
    return true;
}

void clsConectar::MarcaConflicto(ContextoCiclo& ctx) {
    // 12. Versions in conflict: tell the hub with "!!!" and send nothing.
    const int b = ctx.bitacora;
    BasesDD& bdR = Mod.BDRemota;
    EscribeBitacora(b, "Versión de Tarvena Premium diferente a la mínima necesaria");
    if (!AbreBaseEspejo(ctx.espejo)) {
        EscribeBitacora(b, "No conectó a la empresa remota (intento por alertar que no enviará información)");
        return;
    }
    ctx.espejo.Ejecutar(CambXXXSQL("Update " + Identificador(bdR.cBaseGeneral, "empresas") +
                                       " set HoraUltimoEnvio='!!!' where BaseDeDatos='XXX'",
                                   bdR.cMiBase, ctx.espejo));
}

void clsConectar::Valida(uint8_t modo, ContextoCiclo& ctx, std::string& mensaje, int& fallas,
                         bool& terminar) {
    const int b = ctx.bitacora;
    kvtx8::Registros rsEmpresa;
    if (!AbreLocal(ctx, rsEmpresa)) return;
    int banderas = 0;
    if (!LeeDatosEspejo(rsEmpresa, b) || !ValidaHub(ctx, banderas, mensaje, terminar)) fallas |= 1;
    rsEmpresa.Cerrar();
    if (terminar) return;

    // 11.
    if (ctx.matriz.empty()) {
        EscribeBitacora(b, "No puede enviar información sin base de datos matriz");
        fallas |= 2;
        return;
    }
    if (banderas) return MarcaConflicto(ctx);

    // 13.
    EscribeBitacora(b, "Versión remota mínima, mayor o igual a la actual");
    if (!AbreBaseEspejo(ctx.espejo)) {
        EscribeBitacora(b, "No pudo conectar a la base de datos ESPEJO: " + Mod.BDRemota.cMiBase);
        fallas |= 4;
        return;
    }
    EscribeBitacora(b, "Conectó a la base de datos ESPEJO: " + Mod.BDRemota.cMiBase);
    if (!CopiaSucursal(b, ctx.espejo, ctx.local)) {
        fallas |= 4;
        return;
    }

    // 14.
    if (Mod.TipoSucursal != 250)
        EnvioNormal(modo, ctx);
    else
        EscribeBitacora(b, "No leyó correctamente el tipo de sucursal, desde la ESPEJO");
}

void clsConectar::Informa(const std::string& mensaje, int fallas) {
    // 17.
    std::string informe = mensaje;
    if (informe.empty() && fallas) {
        if (fallas & 1) informe += "No pudo conectar a la base de datos general, remota";
        if (fallas & 2)
            informe += std::string(informe.empty() ? "" : kCRLF) + "No pudo localizar empresa MATRIZ";
        if (fallas & 4)
            informe +=
                std::string(informe.empty() ? "" : kCRLF) + "No pudo conectar a la base de datos ESPEJO";
    }
    if (informe.empty()) return;
    const std::string ini = Mod.ArchivoIni.empty() ? EnCarpeta(kArchivoIni) : Mod.ArchivoIni;
    Ventana().Texto(
        Control::Label11,
        "Última conexión: " + kvtx8::LeeIni("Información", "Ultima conexión", ini) + kCRLF + informe);
    MostrarAviso(informe);
}

void clsConectar::Conectar(uint8_t& modo, kvtx8::Registros& rs, kvtx8::Conexion& cn) {
    alerta_ = &rs;
    cnAlerta_ = &cn;
    Mod.ConexionEntregada = false;
    Mod.TerminarPrograma = false;

    // 1. The window: only "Interrumpir" stays available while connected.
    CierraArchivos();
    Ventana().Estado("");
    LeerUltimaConexion();
    Ventana().Conectando(true);
    Ventana().Habilitado(Control::cmdCerrar, true);
    for (Control c : kControles) Ventana().Habilitado(c, false);
    Ventana().Habilitado(Control::cmdEnviar, false);
    Ventana().Temporizador(Control::Timer1, false);

    // 2. One block of the activity log; the file starts again every fifth call after the first.
    int n = Mod.NumeroBitacora;
    const bool vaciar = n == 1 || n > 5;
    if (n > 5) n = 1;
    BloqueDeBitacora bloque(n, vaciar);
    Mod.Bitacora = bloque.Numero();

    ContextoCiclo ctx;
    ctx.bitacora = bloque.Numero();
    std::string mensaje;
    int fallas = 0;
    bool terminar = false;
    Valida(modo, ctx, mensaje, fallas, terminar);

    // 15.
    Mod.BDRemota.CierraBdD(ctx.espejo);

    // 16.
    bloque.Cierra();
    CierraArchivos();
    Mod.Bitacora = 0;
    Mod.BDLocal.CierraBdD(ctx.servidorLocal);
    Mod.BDLocal.CierraBdD(ctx.local);
    Mod.BDRemota.CierraBdD(ctx.hub);
    if (terminar) {
        // A new version is being installed: the program ends now, without re-arming the window.
        Mod.TerminarPrograma = true;
        Ventana().Descarga();
        return;
    }
    Ventana().Habilitado(Control::cmdCerrar, false);
    for (Control c : kControles) Ventana().Habilitado(c, true);
    if (IniciaCuenta) IniciaCuenta(modo);
    Ventana().Conectando(false);
    Mod.NumeroBitacora = n + 1;

    Informa(mensaje, fallas);
}

}  // namespace cnc
