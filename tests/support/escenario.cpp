#include "support/escenario.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <mysql.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "components/utilerias.h"
#include "connection/cls_conectar.h"
#include "core/shared_routines.h"
#include "receive/etapas_recepcion.h"
#include "send/cls_copia_maestra.h"

namespace prueba {

namespace {

constexpr const char* kGeneral = "generaltarvena";
constexpr const char* kQmx = "concentradorqmx";
constexpr const char* kInstalacion = "Software\\Tarvena\\Instalaciones\\1";

// The CREATE TABLE statements of the named tables of a schema file.
std::string SoloTablas(const std::string& archivo, const Tablas& tablas) {
    std::ifstream f(RutaEsquema(archivo));
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string s = ss.str();
    std::string r = "SET NAMES utf8mb4;\n";
    for (const auto& t : tablas) {
        const size_t p = s.find("CREATE TABLE IF NOT EXISTS " + t + " (");
        if (p == std::string::npos) throw std::runtime_error("no está la tabla " + t + " en " + archivo);
        r += s.substr(p, s.find(";\n", p) - p + 1) + "\n";
    }
    return r;
}

bool Guion(const std::string& orden, const std::string& nombre) {
    const char* dir = std::getenv("CNC_PRUEBA_DIR");
    if (!dir) {
        ADD_FAILURE() << "sin CNC_PRUEBA_DIR: no se puede " << orden << " el servidor " << nombre;
        return false;
    }
    const std::string cmd = std::string(CONCENTRADOR_FUENTES) + "/scripts/test-servers " + orden + " '" +
                            dir + "' " + nombre + " >/dev/null 2>&1";
    const int r = std::system(cmd.c_str());
    if (r != 0) ADD_FAILURE() << cmd << " terminó con " << r;
    return r == 0;
}

// The two servers are two processes: their databases are built and dropped at the same time.
void EnAmbos(const std::function<void()>& enLocal, const std::function<void()>& enHub) {
    mysql_library_init(0, nullptr, nullptr);
    std::exception_ptr error;
    std::thread hilo([&] {
        try {
            enHub();
        } catch (...) {
            error = std::current_exception();
        }
    });
    try {
        enLocal();
    } catch (...) {
        hilo.join();
        throw;
    }
    hilo.join();
    if (error) std::rethrow_exception(error);
}

}  // namespace

void ReiniciaEstado() {
    cnc::ReiniciaModulo();
    cnc::Mod.Ventana = nullptr;
    cnc::Mod.ElReloj = nullptr;
    cnc::ReiniciaForm1();
    cnc::Correcciones().clear();
}

bool MataServidor(const std::string& nombre) {
    return Guion("kill", nombre);
}

bool ReviveServidor(const std::string& nombre) {
    return Guion("revive", nombre);
}

Caida::~Caida() {
    if (caido_) ReviveServidor(nombre_);
}

void Caida::Mata() {
    caido_ = MataServidor(nombre_) || caido_;
}

void Caida::Revive() {
    if (ReviveServidor(nombre_)) caido_ = false;
}

void VentanaConGanchos::TablaActual(const std::string& t) {
    VentanaGrabadora::TablaActual(t);
    if (alMostrarTabla) alMostrarTabla(t);
}

void VentanaConGanchos::Estado(const std::string& t) {
    VentanaGrabadora::Estado(t);
    if (alEstado) alEstado(t);
}

ModuloAislado::ModuloAislado() {
    ReiniciaEstado();
    cnc::Mod.Ventana = &ventana;
    cnc::Mod.ElReloj = &reloj;
    cnc::Mod.Carpeta = carpeta.Ruta();
    cnc::Mod.ArchivoIni = carpeta.Archivo("concentrador.ini");
    cnc::Mod.Registro = kvtx8::DelRegistro(carpeta.Archivo("registro.ini"));
    cnc::Mod.SegundosReintento = 2;
    // Autostart entries land in the folder, never in the real home.
    if (const char* x = std::getenv("XDG_CONFIG_HOME")) habiaXdg_ = true, xdgAntes_ = x;
    setenv("XDG_CONFIG_HOME", carpeta.Archivo("xdg").c_str(), 1);
}

ModuloAislado::~ModuloAislado() {
    ReiniciaEstado();
    if (habiaXdg_)
        setenv("XDG_CONFIG_HOME", xdgAntes_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

Escenario::Escenario() : local(ServidorLocal()), hub(ServidorHub()) {
    Construye(nullptr);
}

Escenario::Escenario(const Tablas& tablas) : local(ServidorLocal()), hub(ServidorHub()) {
    Construye(&tablas);
}

Escenario::Escenario(Demo) : local(ServidorLocal()), hub(ServidorHub()) {
    ArmaDemo();
}

Escenario::Escenario(SinBases) : local(ServidorLocal()), hub(ServidorHub()) {}

void Escenario::Construye(const Tablas* tablas) {
    const bool empresas = !tablas || !tablas->empty();
    const std::string ddl = tablas && empresas ? SoloTablas("empresa.sql", *tablas) : "";
    const std::vector<std::string> esquema =
        tablas ? std::vector<std::string>{} : std::vector{std::string("empresa.sql")};
    struct Base {
        std::string nombre;
        std::vector<std::string> esquemas;
        std::string extra;
    };
    std::vector<Base> enLocal = {{kGeneral, {"general.sql"}, ""}, {kQmx, {"concentradorqmx_local.sql"}, ""}};
    std::vector<Base> enHub = {{kGeneral, {"general.sql"}, ""}, {kQmx, {"concentradorqmx_hub.sql"}, ""}};
    if (empresas) {
        enLocal.push_back({baseLocal, esquema, ddl});
        enHub.push_back({espejo, esquema, ddl});
        enHub.push_back({matriz, esquema, ddl});
    }
    for (const auto& b : enLocal) bases_.emplace_back(false, b.nombre);
    for (const auto& b : enHub) bases_.emplace_back(true, b.nombre);
    auto crea = [](const Servidor& s, const std::vector<Base>& bases) {
        for (const auto& b : bases) {
            CreaBase(s, b.nombre, b.esquemas);
            if (!b.extra.empty()) EjecutaSQL(s, b.nombre, b.extra);
        }
    };
    EnAmbos([&] { crea(local, enLocal); }, [&] { crea(hub, enHub); });
}

Escenario::~Escenario() {
    // Open connections first: a dropped database must not wait on them.
    exportador_.reset();
    for (auto* c : {&compania, &servidorLocal, &conHub, &conEspejo}) c->Cerrar();
    if (!esperaAntes_.empty()) {
        try {
            Hub("SET GLOBAL innodb_lock_wait_timeout=" + esperaAntes_);
        } catch (...) {
        }
    }
    std::string enLocal, enHub;
    for (const auto& [enElHub, base] : bases_)
        (enElHub ? enHub : enLocal) += "DROP DATABASE IF EXISTS `" + base + "`;";
    auto borra = [](const Servidor& s, const std::string& sql) {
        try {
            if (!sql.empty()) EjecutaSQL(s, "", sql);
        } catch (...) {
        }
    };
    EnAmbos([&] { borra(local, enLocal); }, [&] { borra(hub, enHub); });
}

void Escenario::Local(const std::string& base, const std::string& sql) {
    EjecutaSQL(local, base.empty() ? kGeneral : base, sql);
}

void Escenario::Hub(const std::string& base, const std::string& sql) {
    EjecutaSQL(hub, base.empty() ? kGeneral : base, sql);
}

Lista Escenario::EnLocal(const std::string& base, const std::string& sql) {
    return Filas(local, base.empty() ? kGeneral : base, sql);
}

Lista Escenario::EnHub(const std::string& base, const std::string& sql) {
    return Filas(hub, base.empty() ? kGeneral : base, sql);
}

Lista Escenario::Avisos(int tipo) {
    return EnLocal(kQmx, "SELECT CAST(DECODE(Aviso,Metodo) AS CHAR) FROM avisos WHERE TipoAviso=" +
                             std::to_string(tipo) + " ORDER BY Id");
}

void Escenario::Usuario(long long id, const std::string& usuario, const std::string& codigo,
                        const std::string& derechos) {
    const auto& a = cnc::Mod.Acceso;
    const std::string ale = "AlE-" + std::to_string(id);
    std::string sql =
        "INSERT INTO usuarios (Id, Usuario, Codigo, AlE, Modulos1, Modulos2, Modulos3) VALUES (" +
        std::to_string(id) + ", '" + a.Encripta(usuario, ale) + "', '" + a.Encripta(codigo, ale) + "', '" +
        ale + "'";
    for (size_t i = 0; i < 3; ++i)
        sql += ", '" + a.Encripta(i * 200 < derechos.size() ? derechos.substr(i * 200, 200) : "", ale) + "'";
    Local(sql + ")");
}

long long Escenario::NuevoAviso(int tipo, const std::string& texto, const std::string& fecha,
                                const std::string& hora, const std::string& extra) {
    Local(kQmx, "INSERT INTO avisos (Fecha, Hora, TipoAviso, Metodo, Aviso, Usuario" +
                    std::string(extra.empty() ? "" : ", " + extra.substr(0, extra.find('='))) +
                    ") VALUES ('" + fecha + "', '" + hora + "', " + std::to_string(tipo) + ", 42, ENCODE('" +
                    texto + "', '42'), ENCODE('CONCENTRADOR', '42')" +
                    std::string(extra.empty() ? "" : ", " + extra.substr(extra.find('=') + 1)) + ")");
    return std::stoll(Consulta(local, kQmx, "SELECT MAX(Id) FROM avisos"));
}

std::string Escenario::Aviso(long long id) {
    return Consulta(local, kQmx,
                    "SELECT CAST(DECODE(Aviso,Metodo) AS CHAR) FROM avisos WHERE Id=" + std::to_string(id));
}

std::string Escenario::Ajuste(const std::string& dato) {
    return Consulta(local, kQmx, "SELECT Contenido FROM configuracion WHERE Dato='" + dato + "'");
}

void Escenario::PonFDDUA(const std::string& valor) {
    Local(kQmx, "REPLACE INTO configuracion (Dato, Contenido, Tipo) VALUES ('FDDUA', '" + valor + "', 'C')");
}

std::string Escenario::UltimoEnvio() {
    return EnHub("SELECT FechaUltimoEnvio, HoraUltimoEnvio FROM empresas WHERE BaseDeDatos='" + espejo + "'")
        .at(0);
}

std::string Escenario::Carpeta() const {
    return demo_ ? m.carpeta.Archivo("programa") : m.carpeta.Ruta();
}

std::string Escenario::Bitacora() const {
    return m.carpeta.Lee(demo_ ? "programa/BitacoraConcentrador.txt" : "BitacoraConcentrador.txt");
}

std::string Escenario::Problemas() const {
    return m.carpeta.Lee("RegistrosConProblema.txt");
}

bool Escenario::VioEtapa(const std::string& etapa) const {
    for (const auto& e : m.ventana.etapas)
        if (e == etapa) return true;
    return false;
}

bool Escenario::VioTabla(const std::string& texto) const {
    for (const auto& t : m.ventana.tablas)
        if (t == texto) return true;
    return false;
}

void Escenario::ApuntaAServidores() {
    Configura(cnc::Mod.BDLocal, local, baseLocal);
    Configura(cnc::Mod.BDRemota, hub, espejo);
}

std::string Escenario::PasarTablasYrecibir(bool soloRecibir) {
    cnc::ContextoCiclo ctx;
    cnc::AbreBaseLocal(ctx.local);
    cnc::AbreBase(cnc::Mod.BDLocal, ctx.servidorLocal, "");
    cnc::AbreBase(cnc::Mod.BDRemota, ctx.hub, "");
    cnc::AbreBaseEspejo(ctx.espejo);
    ctx.matriz = matriz;
    ctx.soloRecibir = soloRecibir;
    m.ventana.etapas.clear();
    m.ventana.tablas.clear();
    {
        cnc::BloqueDeBitacora bloque(1, true);
        ctx.bitacora = bloque.Numero();
        cnc::clsCopiaMaestra().PasarTablasYrecibir(ctx, cnc::EtapasDeRecepcion());
    }
    return Bitacora();
}

void Escenario::Grupo() {
    Configura(cnc::Mod.BDLocal, local, baseLocal);
    EmpresaConDatos();
    Hub("INSERT INTO empresas (BaseDeDatos, Clasificacion, Licencia, Equipo) VALUES ('" + espejo +
        "', 'G1', 'L-100', 'CAJA1'), ('MATRIZ1', 'G1', '', ''), ('otra', 'G2', '', '')");
    Versiones("6.3.0", "6.3.0");
    Hub(kQmx, "INSERT INTO configuracion (Dato, Contenido) VALUES ('VERSIONMINIMA', '1.0.0')");
    ConfiguraEspejo("cncTipoSucursal", "2");
}

void Escenario::Versiones(const std::string& enLocal, const std::string& enHub) {
    Local("REPLACE INTO paneldecontrol (Dato, Contenido) VALUES ('VersionActual', '" + enLocal + "')");
    Hub("REPLACE INTO paneldecontrol (Dato, Contenido) VALUES ('VersionActual', '" + enHub + "')");
}

void Escenario::ConfiguraEspejo(const std::string& dato, const std::string& contenido) {
    Espejo("REPLACE INTO configura (Dato, Contenido) VALUES ('" + dato + "', '" + contenido + "')");
}

std::string Escenario::ConfiguraLocal(const std::string& dato) {
    return Consulta(local, baseLocal, "SELECT Contenido FROM configura WHERE Dato='" + dato + "'");
}

void Escenario::EmpresaConDatos() {
    const auto& a = cnc::Mod.Acceso;
    Local(
        "INSERT INTO empresas (BaseDeDatos, NombreComercial, Servidor2, Puerto2, Usuario2, Conexion2, "
        "BaseDeDatos3) VALUES ('" +
        baseLocal + "', 'Sucursal Uno', '" + a.Encripta(hub.host, 1) + "', " + hub.puerto + ", '" +
        a.Encripta(hub.usuario, 3) + "', '" + a.Encripta(hub.password, 4) + "', '" + a.Encripta(espejo, 2) +
        "')");
}

std::string Escenario::Ciclo(uint8_t modo) {
    cnc::clsConectar c;
    kvtx8::Registros rs;
    kvtx8::Conexion cn;
    c.Conectar(modo, rs, cn);
    return Bitacora();
}

cnc::clsEstandar& Escenario::Exportador() {
    if (exportador_) return *exportador_;
    ApuntaAServidores();
    cnc::AbreBaseLocal(compania);
    problemas_ = cnc::AbreArchivo(m.carpeta.Archivo("RegistrosConProblema.txt"), cnc::ModoArchivo::Agregar);
    exportador_ = std::make_unique<cnc::clsEstandar>();
    exportador_->HandleBitacora = problemas_;
    exportador_->ConexionLocal = &compania;
    exportador_->Limite = 100;
    return *exportador_;
}

kvtx8::Conexion Escenario::OtraAlEspejo() {
    kvtx8::BasesDD bd;
    Configura(bd, hub, espejo);
    kvtx8::Conexion cn;
    EXPECT_TRUE(bd.AbrirBdD(cn, espejo));
    return cn;
}

void Escenario::EsperasCortas() {
    if (esperaAntes_.empty())
        esperaAntes_ = Consulta(hub, kGeneral, "SELECT @@GLOBAL.innodb_lock_wait_timeout");
    Hub("SET GLOBAL innodb_lock_wait_timeout=1");
}

void Escenario::EspejoCaido() {
    cnc::Mod.BDRemota.cPuerto.assign(1, '1');  // nothing listens on port 1
    if (exportador_) exportador_->ConexionEspejo().Cerrar();
}

void Escenario::EspejoDeVuelta() {
    cnc::Mod.BDRemota.cPuerto = hub.puerto;
}

void Escenario::Instalacion() {
    tarvena = m.carpeta.Archivo("tarvena");
    std::filesystem::create_directories(tarvena);
    auto& r = cnc::Mod.Registro;
    r.GrabarCadena(kInstalacion, "Ruta", tarvena);
    r.GrabarCadena(kInstalacion, "servidor", local.host);
    r.GrabarCadena(kInstalacion, "MySQLServer", local.host);
    r.GrabarCadena(kInstalacion, "MySQLPuerto", local.puerto);
    r.GrabarCadena(kInstalacion, "MySQLUsuario", cnc::Mod.Acceso.Encripta(local.usuario));
    r.GrabarCadena(kInstalacion, "MySQLPassword", cnc::Mod.Acceso.Encripta(local.password));
    Ini("Ruta de Tarvena Premium", tarvena);
}

void Escenario::Ini(const std::string& clave, const std::string& valor, const std::string& seccion) {
    kvtx8::EscribeIni(seccion, clave, valor, cnc::Mod.ArchivoIni);
}

std::string Escenario::LeeIni(const std::string& clave, const std::string& seccion) {
    return kvtx8::LeeIni(seccion, clave, cnc::Mod.ArchivoIni);
}

bool Escenario::CreaObjetos() {
    std::string exe;
    bool ok = false;
    cnc::clsDeInicio().CreaObjetos(exe, ok);
    return ok;
}

const VentanaGrabadora::Caja* Escenario::Caja(const std::string& titulo) const {
    for (const auto& c : m.ventana.cajas)
        if (c.titulo == titulo) return &c;
    return nullptr;
}

void Escenario::ArmaDemo() {
    espejo = "sucursal_centro";
    matriz = "matriz_norte";
    const std::string linea = "CONCENTRADOR_BIN='" + std::string(CONCENTRADOR_BINARIO) + "' '" +
                              std::string(CONCENTRADOR_FUENTES) + "/scripts/demo-datos' '" +
                              m.carpeta.Ruta() + "' >'" + m.carpeta.Archivo("datos.log") + "' 2>&1";
    if (std::system(linea.c_str()) != 0)
        throw std::runtime_error("demo-datos falló: " + m.carpeta.Lee("datos.log"));
    demo_ = true;
    cnc::Mod.Carpeta = Carpeta();
    cnc::Mod.ArchivoIni = Carpeta() + "/concentrador.ini";
}

int Escenario::Lanza(const std::vector<std::string>& argumentos, const std::string& mensajes,
                     const std::string& salida) const {
    const std::string registro = Registro(), xdg = m.carpeta.Archivo("xdg");
    std::vector<std::string> args{CONCENTRADOR_BINARIO};
    args.insert(args.end(), argumentos.begin(), argumentos.end());
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("CONCENTRADOR_REGISTRO", registro.c_str(), 1);
        setenv("CONCENTRADOR_REINTENTO", "2", 1);
        setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        const int o = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(mensajes.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int n = open("/dev/null", O_RDONLY);
        dup2(n, 0), dup2(o, 1), dup2(e, 2);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int Escenario::Inicia(int modo) const {
    return Lanza(
        {"--sin-ventana", "--si", "--carpeta", Carpeta(), "--una-vez", "--modo", std::to_string(modo)},
        m.carpeta.Archivo("mensajes.txt"), m.carpeta.Archivo("salida.txt"));
}

int Escenario::Espera(int pid) {
    int st = 0;
    waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
}

Corrida Escenario::Ejecuta(int modo) const {
    Corrida c;
    c.estado = Espera(Inicia(modo));
    c.salida = m.carpeta.Lee("salida.txt");
    c.mensajes = m.carpeta.Lee("mensajes.txt");
    return c;
}

int Sistema(const std::string& linea) {
    const int r = std::system(linea.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : 128 + (WIFSIGNALED(r) ? WTERMSIG(r) : 0);
}

bool Linea(const std::string& bitacora, const std::string& texto) {
    return bitacora.find(" - " + texto + "\r\n") != std::string::npos;
}

}  // namespace prueba
