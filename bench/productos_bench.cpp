// Whole-catalogue speed against the two test servers, side by side in one run:
//   EnviarProductos (local company -> ESPEJO) into an empty and into a full ESPEJO, product by product and by
//   blocks, through a relay that counts the requests to the hub, PasarProductos (MATRIZ ->
//   local company) into an empty and into a full company, and a bulk copy of the same products (mysqldump
//   --no-create-info piped into mysql) as the baseline. Statements are counted on both servers.
// Usage: scripts/test-servers start DIR && source DIR/env && build/bench/productos_bench [products]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "core/shared_routines.h"
#include "proxy_latencia.h"
#include "send/cls_copia_maestra.h"

using namespace cnc;

namespace {

constexpr const char* kCompania = "bench_pcompania";  // local: the company sending to the ESPEJO
constexpr const char* kRecibe = "bench_precibe";      // local: the company the MATRIZ fills
constexpr const char* kEspejo = "bench_pespejo";      // hub
constexpr const char* kMatriz = "bench_pmatriz";      // hub
constexpr const char* kVolcado = "bench_pvolcado";    // hub: the bulk copy

const char* const kTablas[] = {"productos",        "productosmasprecios",
                               "lineas",           "sublineas",
                               "marcas",           "medidas",
                               "clavesalternas",   "existenciaexterna",
                               "clavereferencias", "anexoproductos",
                               "presentaciones",   "cambiosdeprecios"};

std::string Var(const char* n) {
    const char* v = std::getenv(n);
    return v ? v : "";
}

void Configura(BasesDD& bd, const std::string& puerto, const std::string& base) {
    bd.cRuta = Var("CNC_PRUEBA_HOST").empty() ? "127.0.0.1" : Var("CNC_PRUEBA_HOST");
    bd.cPuerto = puerto;
    bd.cUsuario = Var("CNC_PRUEBA_USUARIO");
    bd.cPassword = Var("CNC_PRUEBA_PASSWORD");
    bd.cMiBase = base;
    bd.cBaseGeneral = "mysql";
}

bool Ejecuta(Conexion& cn, const std::string& sql) {
    if (cn.Ejecutar(sql)) return true;
    std::fprintf(stderr, "falló: %s\n  %s\n", sql.substr(0, 200).c_str(), cn.MensajeError().c_str());
    return false;
}

// The product tables of the company schema, one CREATE TABLE each.
std::string Esquema() {
    std::ifstream f(std::string(CONCENTRADOR_SCHEMA_DIR) + "/empresa.sql");
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool CreaBase(BasesDD& bd, Conexion& cn, const std::string& base) {
    static const std::string esquema = Esquema();
    if (!bd.AbrirBdD(cn, "") || !Ejecuta(cn, "DROP DATABASE IF EXISTS " + base) ||
        !Ejecuta(cn, "CREATE DATABASE " + base + " DEFAULT CHARACTER SET utf8mb4") || !bd.AbrirBdD(cn, base))
        return false;
    for (const char* t : kTablas) {
        const size_t p = esquema.find("CREATE TABLE IF NOT EXISTS " + std::string(t) + " (");
        if (p == std::string::npos || !Ejecuta(cn, esquema.substr(p, esquema.find(";\n", p) - p)))
            return false;
    }
    return true;
}

// Products with what hangs from them; `desplaza` moves the catalogue Ids so both sides number them apart.
bool Llena(Conexion& cn, int productos, int desplaza) {
    const std::string d = std::to_string(desplaza);
    if (!Ejecuta(cn, "INSERT INTO lineas (Id, Linea) SELECT seq + " + d +
                         ", CONCAT('Línea ', seq) FROM seq_1_to_40") ||
        !Ejecuta(cn, "INSERT INTO sublineas (Id, IdLinea, SubLinea) SELECT seq + " + d + ", 1 + " + d +
                         " + seq % 40, CONCAT('Sublínea ', seq) FROM seq_1_to_200") ||
        !Ejecuta(cn, "INSERT INTO marcas (Id, Marca) SELECT seq + " + d +
                         ", CONCAT('Marca ', seq) FROM seq_1_to_60") ||
        !Ejecuta(cn, "INSERT INTO medidas (Id, Medida) SELECT seq + " + d +
                         ", CONCAT('Unidad ', seq) FROM seq_1_to_8"))
        return false;
    const std::string n = std::to_string(productos);
    return Ejecuta(
               cn,
               "INSERT INTO productos (Clave, Descrip, DescripCorta, FechaRegistro, FechaCambios, Linea, "
               "SubLinea, Marca, UnidadMedida, IVA, Costo, CostoProm, Existencia, Precio1, Precio2, Precio3, "
               "Precio4, Precio5, forCampo1, forOperador1, forFactor1, forRedondear1, ClaveSAT) "
               "SELECT CONCAT('P', LPAD(seq, 6, '0')), CONCAT('Artículo de ferretería número ', seq), "
               "CONCAT('Art. ', seq), '2024-01-01', '2025-06-01', " +
                   d + " + 1 + ((seq % 200) + 1) % 40, " + d + " + 1 + seq % 200, " + d +
                   " + 1 + seq % 60, " + d +
                   " + 1 + seq % 8, 16, 10 + seq % 997, 10 + seq % 997, seq % 500, (10 + seq % 997) * 1.35, "
                   "(10 + seq % 997) * 1.25, (10 + seq % 997) * 1.15, (10 + seq % 997) * 1.1, 10 + seq % "
                   "997, "
                   "'Costo', 'X', 1.35, 0.5, '31161500' FROM seq_1_to_" +
                   n) &&
           Ejecuta(cn,
                   "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) SELECT CONCAT('P', LPAD(seq, 6, "
                   "'0')), CONCAT('750', LPAD(seq, 10, '0')) FROM seq_1_to_" +
                       n) &&
           Ejecuta(cn,
                   "INSERT INTO anexoproductos (Producto, Texto, Numerico) SELECT CONCAT('P', LPAD(seq, 6, "
                   "'0')), CONCAT('Anexo ', seq), seq FROM seq_1_to_" +
                       n + " WHERE seq % 4 = 0") &&
           Ejecuta(
               cn,
               "INSERT INTO presentaciones (Producto, IdUnidad, Cantidad, ClaveAlterna) SELECT CONCAT('P', "
               "LPAD(seq, 6, '0')), " +
                   d + " + 1 + (seq + 3) % 8, 12, CONCAT('C', seq) FROM seq_1_to_" + n +
                   " WHERE seq % 10 = 0");
}

long long Estatus(Conexion& cn, const std::string& variable) {
    return static_cast<long long>(
        kvtx8::kvVal(cn.Escalar("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE "
                                "VARIABLE_NAME = '" +
                                variable + "'")
                         .value_or("0")));
}

struct Medida {
    std::string nombre;
    double segundos = 0;
    long long productos = 0;
    long long local = 0, hub = 0;  // statements each server received
    std::string resultado;
    long long peticiones = -1;  // requests to the hub counted at the relay (-1: not through it)
};

template <typename F>
Medida Mide(const std::string& nombre, long long productos, Conexion& eLocal, Conexion& eHub, F&& f) {
    Medida m{nombre, 0, productos, 0, 0, ""};
    const long long l0 = Estatus(eLocal, "QUESTIONS"), h0 = Estatus(eHub, "QUESTIONS");
    auto t0 = std::chrono::steady_clock::now();
    m.resultado = f();
    m.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // The status reads themselves count as one question each.
    m.local = Estatus(eLocal, "QUESTIONS") - l0 - 1;
    m.hub = Estatus(eHub, "QUESTIONS") - h0 - 1;
    return m;
}

const char* Texto(Resultado r) {
    switch (r) {
        case Resultado::Completo:
            return "completo";
        case Resultado::Incompleto:
            return "incompleto";
        case Resultado::SinConexion:
            return "sin conexión";
        default:
            return "interrumpido";
    }
}

std::string Cuenta(Conexion& cn, const std::string& sql) {
    return cn.Escalar(sql).value_or("?");
}

}  // namespace

int main(int argc, char** argv) {
    const int productos = argc > 1 ? std::atoi(argv[1]) : 20000;
    const std::string puertoLocal = Var("CNC_PRUEBA_PUERTO_LOCAL"), puertoHub = Var("CNC_PRUEBA_PUERTO_HUB");
    if (puertoLocal.empty() || puertoHub.empty()) {
        std::fprintf(stderr, "sin servidores de prueba: scripts/test-servers start DIR && source DIR/env\n");
        return 2;
    }
    Configura(Mod.BDLocal, puertoLocal, kCompania);
    Configura(Mod.BDRemota, puertoHub, kEspejo);
    Mod.Carpeta = "/tmp";
    Mod.SegundosReintento = 2;
    Mod.RegistrosATomar = 1000;
    // An ordinary branch that sends prices 1 to 5 and the formula of price 1.
    Mod.TipoSucursal = 0;
    for (int n = 1; n <= 5; ++n) Mod.EnviarPrecio[n] = true;
    Mod.EnviarFormula[1] = true;

    Conexion compania, recibe, espejo, matriz, volcado, eLocal, eHub;
    if (!CreaBase(Mod.BDLocal, compania, kCompania) || !CreaBase(Mod.BDLocal, recibe, kRecibe) ||
        !CreaBase(Mod.BDRemota, espejo, kEspejo) || !CreaBase(Mod.BDRemota, matriz, kMatriz) ||
        !CreaBase(Mod.BDRemota, volcado, kVolcado) || !Mod.BDLocal.AbrirBdD(eLocal, "") ||
        !Mod.BDRemota.AbrirBdD(eHub, ""))
        return 1;
    std::printf(
        "Llenando %d productos en %s (local) y en %s (hub), con claves alternas, anexos y "
        "presentaciones...\n",
        productos, kCompania, kMatriz);
    if (!Llena(compania, productos, 0) || !Llena(matriz, productos, 1000)) return 1;

    const int bitacora = AbreArchivo("/tmp/bench_BitacoraProductos.txt", ModoArchivo::Salida);
    // Lives until the process ends: its connections' threads may outlast main.
    auto* proxy = new ProxyLatencia(std::atoi(puertoHub.c_str()), std::chrono::milliseconds(0));
    int bloques = 0;
    auto enviar = [&](bool porRenglon) {
        ContextoCiclo ctx;
        ctx.bitacora = bitacora;
        Mod.BDLocal.cMiBase = kCompania;
        Mod.BDRemota.cPuerto = std::to_string(proxy->Puerto());
        AbreBaseLocal(ctx.local);
        AbreBaseEspejo(ctx.espejo);
        clsCopiaMaestra copia;
        copia.SoloPorRenglon = porRenglon;
        const Resultado r = copia.EnviarProductos(ctx);
        bloques = copia.BloquesProductos();
        Mod.BDRemota.cPuerto = puertoHub;
        return std::string(Texto(r));
    };
    auto envio = [&](const std::string& nombre, bool porRenglon) {
        proxy->ReiniciaCuenta();
        Medida m = Mide(nombre, productos, eLocal, eHub, [&] { return enviar(porRenglon); });
        m.peticiones = static_cast<long long>(proxy->Peticiones());
        return m;
    };
    // The ESPEJO as both paths leave it, keys and numbering included.
    auto huellaEspejo = [&] {
        return Cuenta(espejo, "SELECT CONCAT(SUM(CRC32(CONCAT_WS('|',Id,Clave,Descrip,Costo,Precio1,Precio5,"
                              "FechaCambios))),'/',(SELECT SUM(CRC32(CONCAT_WS('|',Id,Producto,Texto,Numerico))) "
                              "FROM anexoproductos)) FROM productos");
    };
    auto pasar = [&] {
        ContextoCiclo ctx;
        ctx.bitacora = bitacora;
        ctx.matriz = kMatriz;
        Mod.BDLocal.cMiBase = kRecibe;
        AbreBaseLocal(ctx.local);
        Conexion m;
        return std::string(Texto(clsCopiaMaestra().PasarProductos(ctx, m)));
    };
    Medida renglonVacia = envio("EnviarProductos 1 a 1, vacía", true);
    Medida renglonLlena = envio("EnviarProductos 1 a 1, llena", true);
    const std::string huellaRenglon = huellaEspejo();
    for (const char* sql : {"DELETE FROM productos", "DELETE FROM anexoproductos",
                            "ALTER TABLE productos AUTO_INCREMENT = 1", "ALTER TABLE anexoproductos AUTO_INCREMENT = 1"})
        Ejecuta(espejo, sql);
    Medida envioVacia = envio("EnviarProductos bloques, vacía", false);
    Medida envioLlena = envio("EnviarProductos bloques, llena", false);
    const int bloquesLlena = bloques;
    const bool igualPorBloques = huellaEspejo() == huellaRenglon;
    Medida pasoVacia = Mide("PasarProductos, empresa vacía", productos, eLocal, eHub, pasar);
    Medida pasoLlena = Mide("PasarProductos, empresa llena", productos, eLocal, eHub, pasar);
    CierraArchivo(bitacora);

    const std::string credencial = "MYSQL_PWD='" + Var("CNC_PRUEBA_PASSWORD") + "' ";
    const std::string usuario = " -h127.0.0.1 -u'" + Var("CNC_PRUEBA_USUARIO") + "' ";
    const std::string volcar = credencial + "mysqldump --no-defaults --no-create-info --skip-triggers" +
                               usuario + "-P" + puertoLocal + " " + kCompania +
                               " productos anexoproductos | " + credencial + "mysql --no-defaults" + usuario +
                               "-P" + puertoHub + " " + kVolcado;
    int rc = 0;
    Medida base = Mide("mysqldump | mysql (base)", productos, eLocal, eHub, [&] {
        rc = std::system(volcar.c_str());
        return std::string(rc == 0 ? "completo" : "falló");
    });

    const std::string huella =
        "SELECT SUM(CRC32(CONCAT_WS('|',Clave,Descrip,Costo,Precio1,Precio5,FechaCambios)))"
        " FROM productos";
    std::printf(
        "\nProductos en ESPEJO: %s (igual a la local: %s); en la empresa que recibe: %s, con %s "
        "claves alternas y %s cambios de precio; en la copia masiva: %s\n",
        Cuenta(espejo, "SELECT COUNT(*) FROM productos").c_str(),
        Cuenta(espejo, huella) == Cuenta(compania, huella) ? "sí" : "NO",
        Cuenta(recibe, "SELECT COUNT(*) FROM productos").c_str(),
        Cuenta(recibe, "SELECT COUNT(*) FROM clavesalternas").c_str(),
        Cuenta(recibe, "SELECT COUNT(*) FROM cambiosdeprecios").c_str(),
        Cuenta(volcado, "SELECT COUNT(*) FROM productos").c_str());
    std::printf("Productos por bloque: %d; bloques enviados enteros en la ESPEJO llena: %d; ESPEJO por bloques "
                "igual que 1 a 1 (Id y numeración incluidos): %s\n\n",
                Mod.RegistrosATomar, bloquesLlena, igualPorBloques ? "sí" : "NO");
    std::printf("%-32s %9s %12s %10s %12s %12s %12s %12s  %s\n", "", "segundos", "productos/s", "vs. base",
                "sent/p local", "sent/p hub", "sent/p total", "pet/p relevo", "resultado");
    for (const Medida* m : {&renglonVacia, &renglonLlena, &envioVacia, &envioLlena, &pasoVacia, &pasoLlena, &base}) {
        const double p = static_cast<double>(m->productos);
        char peticiones[32] = "-";
        if (m->peticiones >= 0) std::snprintf(peticiones, sizeof peticiones, "%.4f", m->peticiones / p);
        std::printf("%-32s %9.2f %12.0f %9.1fx %12.2f %12.2f %12.2f %12s  %s\n", m->nombre.c_str(), m->segundos,
                    p / m->segundos, m->segundos / base.segundos, m->local / p, m->hub / p,
                    (m->local + m->hub) / p, peticiones, m->resultado.c_str());
    }
    std::printf(
        "\n(\"vs. base\": veces el tiempo de la copia masiva; sent/p: sentencias que recibió cada servidor "
        "por producto; pet/p relevo: peticiones al hub por producto, contadas en el relevo)\n\n");
    const double baseFs = productos / base.segundos;
    std::printf("%-48s %12s %12s %10s\n", "cifra", "por bloques", "1 a 1", "meta");
    for (auto [nombre, b, r] : {std::tuple<const char*, Medida*, Medida*>{"EnviarProductos productos/s ÷ base, vacía",
                                                                          &envioVacia, &renglonVacia},
                                {"EnviarProductos productos/s ÷ base, llena", &envioLlena, &renglonLlena}}) {
        const double cb = productos / b->segundos / baseFs, cr = productos / r->segundos / baseFs;
        std::printf("%-48s %12.2f %12.2f %10s  %s\n", nombre, cb, cr, ">= 0.5", cb >= 0.5 ? "cumple" : "NO cumple");
    }
    for (auto [nombre, b, r] : {std::tuple<const char*, Medida*, Medida*>{"peticiones al hub por producto, vacía",
                                                                          &envioVacia, &renglonVacia},
                                {"peticiones al hub por producto, llena", &envioLlena, &renglonLlena}}) {
        const double pb = static_cast<double>(b->peticiones) / productos,
                     pr = static_cast<double>(r->peticiones) / productos;
        std::printf("%-48s %12.4f %12.4f %10s  %s\n", nombre, pb, pr, "<= 0.02", pb <= 0.02 ? "cumple" : "NO cumple");
    }

    for (const char* b : {kEspejo, kMatriz, kVolcado})
        Ejecuta(eHub, std::string("DROP DATABASE IF EXISTS ") + b);
    for (const char* b : {kCompania, kRecibe}) Ejecuta(eLocal, std::string("DROP DATABASE IF EXISTS ") + b);
    return 0;
}
