#include "app/comandos.h"

#include "connection/cls_conectar.h"

#include "app/cls_de_inicio.h"
#include "app/scheduler.h"
#include "connection/cls_descargas.h"
#include "core/shared_routines.h"
#include "notices/cls_postits.h"

namespace cnc {

namespace {

EstadoForm1 estado;

// The buttons "Configurar" hides while the settings panel is open.
const Control kBotonesDelPanel[] = {Control::Command5,  Control::Command6, Control::Command10,
                                    Control::Command13, Control::Command7, Control::Command12,
                                    Control::Command14};

void FocoPrincipal() {
    if (estado.Picture1) DarleElFoco(Control::Picture1);
}

void DetenTimer1() {
    estado.Timer1 = false;
    Ventana().Temporizador(Control::Timer1, false);
}

void ArrancaTimer1() {
    estado.Timer1 = true;
    Ventana().Temporizador(Control::Timer1, true);
}

// The four send commands: the question, then one connection of the mode.
void Envio(const std::string& pregunta, uint8_t modo) {
    if (!clsConectar::ModoDisponible(modo)) {
        // Better a plain word than a whole connection that ends in a log line nobody reads.
        MensajeSkn("Esta operación todavía no está disponible en este concentrador.", kInformacion,
                   "Atención");
        FocoPrincipal();
        return;
    }
    if (!Pregunta(pregunta, "Atención", false)) {
        FocoPrincipal();
        return;
    }
    Ventana().Texto(Control::lblInfo, "");
    Ventana().Ceder();
    EnviarAhora(modo);
}

bool EnRango(const std::string& texto, double minimo, double maximo) {
    const double n = kvtx8::kvVal(texto);
    return n >= minimo && n <= maximo;
}

std::string NumeroEntero(const std::string& texto) {
    return std::to_string(static_cast<long long>(kvtx8::kvVal(texto)));
}

}  // namespace

EstadoForm1& Form1() {
    return estado;
}
void ReiniciaForm1() {
    estado = EstadoForm1{};
}

bool Form1_Load() {
    return Arranque(true);
}

void Form_Activate() {
    if (!estado.PrimeraActivacion) return;
    estado.PrimeraActivacion = false;
    FocoPrincipal();
}

void Form_Resize(bool minimizada) {
    estado.Minimizada = minimizada;
    if (minimizada) {
        Ventana().Visible(Control::Form1, false);
        clsDeInicio().PonerSystray();
    } else {
        Ventana().Visible(Control::Form1, true);
    }
}

void Form_DblClick() {
    Ventana().AbreDocumento(Mod.ArchivoIni);
}

bool Form_QueryUnload() {
    if (estado.Descargada) return false;
    estado.Minimizada = true;
    Ventana().Minimiza();
    Form_Resize(true);
    return true;
}

void Form_Unload() {
    if (estado.Descargada) return;
    estado.Descargada = true;
    DetenTimer1();
    if (estado.Timer2) estado.Timer2 = false, Ventana().Temporizador(Control::Timer2, false);
    Ventana().QuitaAviso();
    if (!Mod.ArchivoIni.empty())
        kvtx8::EscribeIni("Configuración", "Solamente respaldar en ESPEJO",
                          Ventana().SoloRespaldarMarcado() ? "S" : "N", Mod.ArchivoIni);
    clsDeInicio().MataObjetos();
}

void MouseMove(int x) {
    clsDeInicio().MouseMove(0, 0, x, 0);
}

void cmdEnviar_Click() {
    Envio("¿Desea enviar la información al concentrador en este momento?", 0);
}
void Command10_Click() {
    Envio("¿Desea leer los productos de la empresa MATRIZ?", 1);
}
void Command12_Click() {
    Envio("¿Desea enviar todos los productos hacia la empresa ESPEJO?", 3);
}
void Command14_Click() {
    Envio("¿Desea leer la información pendiente de leer?", 4);
}

void Command11_Click() {
    estado.Timer2 = true;
    estado.Label7Visible = true;
    Ventana().IndicadorOcupado("Buscando actualizaciones");
    DetenTimer1();
    clsDescargas descargas;
    bool manual = true, forzado = false, terminar = false;
    descargas.VerificaVersiones(manual, forzado, terminar);
    if (terminar || Mod.TerminarPrograma) {
        DescargaVentana();
        return;
    }
    estado.Timer2 = false;
    estado.Label7Visible = false;
    Ventana().QuitaIndicadorOcupado();
    Ventana().Bip();
    MensajeSkn("Versión del concentrador comprobada. No hay versión más nueva.", 0, "Verificación terminada",
               10);
    ArrancaTimer1();
    DarleElFoco(Control::Picture1);
}

void Command13_Click() {
    DetenTimer1();
    if (!Ventana().PideUsuario(kModuloConfigurar)) {
        ArrancaTimer1();
        return;
    }
    estado.Picture1 = false;
    estado.Picture4 = true;
    Ventana().MuestraPanel(Panel::Opciones);
    for (Control b : kBotonesDelPanel) Ventana().Visible(b, false);
    DarleElFoco(Control::txtMinutos);
}

void cmdCerrar_Click() {
    if (!Pregunta("¿Desea interrumpir el envío de información?", "Confirme", true)) {
        FocoPrincipal();
        return;
    }
    Mod.Detener = true;
    Mod.Interrumpir = true;
}

void cmdTerminar_Click() {
    if (!Pregunta("¿Está seguro de cerrar este programa? Se desactivará la conexión al concentrador",
                  "Cerrar conexión", true)) {
        FocoPrincipal();
        return;
    }
    Mod.Detener = true;
    DescargaVentana();
}

void Command1_Click() {
    Ventana().Minimiza();
    Form_Resize(true);
}

void Command5_Click() {
    clsPostits::LeerPostits();
}

void Command6_Click() {
    clsPostits::DescargarPostIts();
}

void Command7_Click() {
    estado.Picture1 = false;
    estado.Picture3 = true;
    Ventana().MuestraPanel(Panel::Reporte);
    DarleElFoco(Control::mkeFecha_0);
}

bool Command9_Click(const FiltroDeReporte& filtro) {
    return clsImpresion().Impresion(filtro, EnCarpeta("/bitacora.pdf"));
}

void Command8_Click() {
    estado.Picture3 = false;
    estado.Picture1 = true;
    Ventana().MuestraPanel(Panel::Principal);
    FocoPrincipal();
}

void frmPostit_Command1() {
    if (estado.Minimizada) {
        estado.Minimizada = false;
        Ventana().Restaura();
        Form_Resize(false);
    } else {
        Command1_Click();
    }
}

bool txtMinutos_Validate(const std::string& texto) {
    if (EnRango(texto, 1, 999)) return true;
    Ventana().Bip();
    return false;
}

bool txtAvisos_Validate(const std::string& texto) {
    if (EnRango(texto, 0, 9999)) return true;
    Ventana().Bip();
    return false;
}

void chkAvisos_Click(bool marcado) {
    Ventana().Habilitado(Control::Label_9, marcado);
    Ventana().Habilitado(Control::txtAvisos, marcado);
}

bool cmdGrabar_Click(const std::string& minutos, const std::string& avisos, bool chkAvisos, bool chkActualiza,
                     bool chkSoloRespaldar) {
    // The fields' own checks may not have run (a click straight from another field).
    if (!EnRango(minutos, 1, 999)) {
        Ventana().Bip();
        DarleElFoco(Control::txtMinutos);
        return false;
    }
    if (!EnRango(avisos, 0, 9999)) {
        Ventana().Bip();
        DarleElFoco(Control::txtAvisos);
        return false;
    }
    Conexion cn;
    if (!AbreBase(Mod.BDLocal, cn, "concentradorqmx")) return false;
    BasesDD& bd = Mod.BDLocal;
    // Each setting on its own: one that fails must not keep the others from being stored.
    const struct {
        const char* clave;
        const char* nombre;
        std::string valor;
    } ajustes[] = {
        {"Minutos", "Intervalo (min.) para enviar información", NumeroEntero(minutos)},
        {"AvisosAmostrar", "Avisos a mostrar", NumeroEntero(avisos)},
        {"ManejarAvisos", "Manejar avisos", chkAvisos ? "1" : "0"},
        {"ActualizAutomatica", "Buscar actualizaciones automáticamente", chkActualiza ? "1" : "0"},
        {"SoloRespaldar", "Solamente RESPALDAR en empresa espejo", chkSoloRespaldar ? "1" : "0"},
    };
    std::string fallidos;
    for (const auto& a : ajustes)
        if (!bd.GrabaDato(a.clave, a.valor, cn))
            fallidos += std::string("\r\n") + a.nombre + " (" + a.clave + "): " + cn.MensajeError();
    cn.Cerrar();
    // What the panel and the summary show afterwards is what the server holds.
    bool correcto = false;
    clsDeInicio().LeerConfiguracion(correcto);
    Correcciones().clear();  // reported at start-up only
    MuestraOpciones();
    estado.Segundos = 0;
    cmdRegresar_Click();
    if (!fallidos.empty())
        MensajeSkn("No se pudieron grabar estos ajustes; conservan el valor que tenían:" + fallidos, kCritico,
                   "Alerta");
    return fallidos.empty();
}

void cmdRegresar_Click() {
    estado.Picture1 = true;
    estado.Picture4 = false;
    Ventana().MuestraPanel(Panel::Principal);
    for (Control b : kBotonesDelPanel) Ventana().Visible(b, true);
    // Edits not saved with "Grabar" are dropped, so the panel and the settings agree.
    MuestraOpciones();
    ArrancaTimer1();
}

void cmdConexion_Click() {
    MuestraConexion();
}

bool Command2_Click(const DatosDeConexion& d) {
    Conexion cn;
    std::string problema;
    if (AbreBase(Mod.BDLocal, cn, "")) {
        Registros rs;
        if (!Mod.BDLocal.AbrirTabla(
                rs, cn, kvtx8::CambXXXSQL("empresas WHERE BaseDeDatos='XXX'", Mod.BDLocal.cMiBase, cn), "*",
                true)) {
            problema = "no se pudo leer la tabla de empresas: " + cn.MensajeError();
        } else if (rs.Eof()) {
            problema = "no se encontró la empresa " + Mod.BDLocal.cMiBase +
                       " en la base de datos general del servidor local.";
        } else {
            rs.Poner("Servidor2", Mod.Acceso.Encripta(d.servidor, 1));
            rs.Poner("Puerto2", NumeroEntero(d.puerto));
            rs.Poner("Usuario2", Mod.Acceso.Encripta(d.usuario, 3));
            rs.Poner("Conexion2", Mod.Acceso.Encripta(d.password, 4));
            rs.Poner("BaseDeDatos3", Mod.Acceso.Encripta(d.base, 2));
            if (!rs.Update()) problema = "el servidor no aceptó el cambio: " + rs.Error();
        }
        rs.Cerrar();
        cn.Cerrar();
    } else {
        problema = "no se pudo abrir la base de datos general del servidor local.";
    }
    // The panel is left either way; its fields keep what was typed for another try.
    if (!problema.empty())
        Ventana().MensajeSimple("No se grabaron los datos de conexión: " + problema, kCritico, "Alerta");
    Command4_Click();
    return problema.empty();
}

bool Command3_Click(const DatosDeConexion& d) {
    BasesDD bd;
    bd.cRuta = d.servidor;
    bd.cPuerto = NumeroEntero(d.puerto);
    bd.cUsuario = d.usuario;
    bd.cPassword = d.password;
    Conexion cn;
    const bool abrio = AbreBase(bd, cn, d.base);
    if (abrio)
        Ventana().MensajeSimple("Conexión correcta", kInformacion, "Aviso");
    else
        Ventana().MensajeSimple("No pudo establecerse conexión al servidor o a la base de datos", kCritico,
                                "Alerta");
    cn.Cerrar();
    return abrio;
}

void Command4_Click() {
    estado.Picture2 = false;
    estado.Picture4 = true;
    Ventana().MuestraPanel(Panel::Opciones);
}

void chkVer_Click() {
    estado.UsuarioVisible = !estado.UsuarioVisible;
    Ventana().Enmascarado(Control::txtConecte_3, !estado.UsuarioVisible);
    Ventana().Enmascarado(Control::txtConecte_4, !estado.UsuarioVisible);
}

}  // namespace cnc
