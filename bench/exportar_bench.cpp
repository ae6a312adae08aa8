// Export speed against the two test servers, by blocks and row by row side by side in one run:
//   ExportarInfo into an empty ESPEJO table, ExportarXFADUA of the same rows into the full table, and a bulk
//   copy (mysqldump --no-create-info piped into mysql) as the baseline; the requests each sends to the hub,
//   counted at a relay; changed rows through that relay with a delay each way, as over a wide-area link; and
//   the resident memory of a small and a large table.
// Usage: scripts/test-servers start DIR && source DIR/env &&
//        build/bench/exportar_bench [rows=50000] [large table rows=1000000, 0 skips] [delay ms=20]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fstream>

#include "core/shared_routines.h"
#include "proxy_latencia.h"
#include "send/cls_estandar.h"

using namespace cnc;

namespace {

constexpr const char* kBaseLocal = "bench_local";
constexpr const char* kBaseEspejo = "bench_espejo";
constexpr const char* kBaseVolcado = "bench_volcado";

// 20 columns, a unique key beside the primary key, FADUA as the company tables carry it.
constexpr const char* kTabla =
    "CREATE TABLE articulos ("
    " Id INT NOT NULL AUTO_INCREMENT, Clave VARCHAR(15) NOT NULL DEFAULT '',"
    " Descrip VARCHAR(255) NOT NULL DEFAULT '', DescripCorta VARCHAR(100) NOT NULL DEFAULT '',"
    " Linea INT NOT NULL DEFAULT 0, SubLinea INT NOT NULL DEFAULT 0, Marca INT NOT NULL DEFAULT 0,"
    " UnidadMedida INT NOT NULL DEFAULT 0, Proveedor1 VARCHAR(15) NOT NULL DEFAULT '',"
    " IVA DECIMAL(18,4) NOT NULL DEFAULT 0, Costo DECIMAL(18,4) NOT NULL DEFAULT 0,"
    " CostoProm DECIMAL(18,4) NOT NULL DEFAULT 0, Existencia DECIMAL(18,4) NOT NULL DEFAULT 0,"
    " Precio1 DECIMAL(18,4) NOT NULL DEFAULT 0, Precio2 DECIMAL(18,4) NOT NULL DEFAULT 0,"
    " Precio3 DECIMAL(18,4) NOT NULL DEFAULT 0, FechaRegistro DATE NULL, FechaCambios DATE NULL,"
    " Bloqueado TINYINT NOT NULL DEFAULT 0,"
    " FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,"
    " PRIMARY KEY (Id), UNIQUE KEY uk_clave (Clave), KEY idx_fadua (FADUA)"
    ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci";

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

bool CreaBase(BasesDD& bd, Conexion& cn, const std::string& base) {
    return bd.AbrirBdD(cn, "") && Ejecuta(cn, "DROP DATABASE IF EXISTS " + base) &&
           Ejecuta(cn, "CREATE DATABASE " + base + " DEFAULT CHARACTER SET utf8mb4") &&
           bd.AbrirBdD(cn, base) && Ejecuta(cn, kTabla);
}

bool Llena(Conexion& cn, int filas) {
    const int porBloque = 1000;
    for (int desde = 1; desde <= filas; desde += porBloque) {
        std::string sql =
            "INSERT INTO articulos (Clave, Descrip, DescripCorta, Linea, SubLinea, Marca, UnidadMedida, "
            "Proveedor1, IVA, Costo, CostoProm, Existencia, Precio1, Precio2, Precio3, FechaRegistro, "
            "FechaCambios, Bloqueado, FADUA) VALUES ";
        for (int i = desde; i < desde + porBloque && i <= filas; ++i) {
            const std::string n = std::to_string(i);
            const double costo = 10 + (i % 997) * 1.37;
            char numeros[256];
            std::snprintf(numeros, sizeof numeros, "%d,%d,%d,%d,'PRV%03d',16,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f",
                          i % 40 + 1, i % 200 + 1, i % 60 + 1, i % 8 + 1, i % 150, costo, costo * 0.98,
                          static_cast<double>(i % 500), costo * 1.35, costo * 1.25, costo * 1.15);
            if (i != desde) sql += ",";
            sql += "('A" + n + "','Artículo de ferretería número " + n + ", presentación estándar','Art. " +
                   n + "'," + numeros + ",'2024-01-" + std::to_string(i % 28 + 1) + "','2025-06-" +
                   std::to_string(i % 28 + 1) + "'," + std::to_string(i % 50 == 0) +
                   ",'2026-01-01 00:00:00')";
        }
        if (!Ejecuta(cn, sql)) return false;
    }
    return true;
}

// Peak resident memory of the process since the last reset, in MiB (Linux: VmHWM, reset through clear_refs).
void ReiniciaPico() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double PicoMiB() {
    std::ifstream f("/proc/self/status");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.rfind("VmHWM:", 0) == 0) return std::atof(linea.c_str() + 6) / 1024.0;
    return 0;
}

std::string Cuenta(Conexion& cn, const std::string& sql) {
    return cn.Escalar(sql).value_or("?");
}

// Peak resident memory since the reset, in MiB.
double PicoAbsoluto() {
    return PicoMiB();
}

bool RehaceEspejo(Conexion& espejo) {
    return Ejecuta(espejo, "DROP TABLE IF EXISTS articulos") && Ejecuta(espejo, kTabla);
}

struct Corrida {
    double segundos = 0;
    uint64_t peticiones = 0;
    long long filas = 0;
    int bloques = 0;
    double picoMiB = 0;
};

// One export with the given settings; the hub reached directly or through the relay.
Corrida Exporta(bool xfadua, bool porRenglon, int problemas, Conexion& local, int64_t ultimoFolio,
                const std::string& cronos, ProxyLatencia* proxy, const std::string& puertoHub,
                long long filas, const char* tabla = "articulos") {
    Corrida c;
    c.filas = filas;
    Mod.BDRemota.cPuerto = proxy ? std::to_string(proxy->Puerto()) : puertoHub;
    if (proxy) proxy->ReiniciaCuenta();
    ReiniciaPico();
    auto t0 = std::chrono::steady_clock::now();
    {
        clsEstandar e;
        e.HandleBitacora = problemas;
        e.ConexionLocal = &local;
        e.Tabla = tabla;
        e.Llave = "Id";
        e.UltimoFolio = ultimoFolio;
        e.Limite = 1000;
        e.SoloPorRenglon = porRenglon;
        e.Cronos(cronos);
        if (xfadua)
            e.ExportarXFADUA();
        else
            e.ExportarInfo();
        c.bloques = e.BloquesEnviados();
    }
    c.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    c.picoMiB = PicoAbsoluto();
    if (proxy) c.peticiones = proxy->Peticiones();
    Mod.BDRemota.cPuerto = puertoHub;
    return c;
}

const char* Marca(bool bien) {
    return bien ? "cumple" : "NO cumple";
}

}  // namespace

int main(int argc, char** argv) {
    const int filas = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int grande = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const int retrasoMs = argc > 3 ? std::atoi(argv[3]) : 20;
    const int cambios = std::min(10000, filas);
    const int muestraPorRenglon =
        100;  // changed rows sent row by row through the delay (the rest extrapolated)
    const std::string puertoLocal = Var("CNC_PRUEBA_PUERTO_LOCAL"), puertoHub = Var("CNC_PRUEBA_PUERTO_HUB");
    if (puertoLocal.empty() || puertoHub.empty()) {
        std::fprintf(stderr, "sin servidores de prueba: scripts/test-servers start DIR && source DIR/env\n");
        return 2;
    }
    Configura(Mod.BDLocal, puertoLocal, kBaseLocal);
    Configura(Mod.BDRemota, puertoHub, kBaseEspejo);
    Mod.Carpeta = "/tmp";
    Mod.SegundosReintento = 2;
    // Lives until the process ends: its connections' threads may outlast main.
    auto* proxy = new ProxyLatencia(std::atoi(puertoHub.c_str()), std::chrono::milliseconds(0));

    Conexion local, espejo, volcado, estado;
    if (!CreaBase(Mod.BDLocal, local, kBaseLocal) || !CreaBase(Mod.BDRemota, espejo, kBaseEspejo) ||
        !CreaBase(Mod.BDRemota, volcado, kBaseVolcado) || !Mod.BDRemota.AbrirBdD(estado, ""))
        return 1;
    std::printf("Llenando %d filas de %s.articulos (20 columnas, llave única Clave)...\n", filas, kBaseLocal);
    if (!Llena(local, filas)) return 1;
    const int problemas = AbreArchivo("/tmp/bench_RegistrosConProblema.txt", ModoArchivo::Salida);

    // Baseline: the bulk copy.
    const std::string credencial = "MYSQL_PWD='" + Var("CNC_PRUEBA_PASSWORD") + "' ";
    const std::string usuario = " -h127.0.0.1 -u'" + Var("CNC_PRUEBA_USUARIO") + "' ";
    const std::string volcar = credencial + "mysqldump --no-defaults --no-create-info --skip-triggers" +
                               usuario + "-P" + puertoLocal + " " + kBaseLocal + " articulos | " +
                               credencial + "mysql --no-defaults" + usuario + "-P" + puertoHub + " " +
                               kBaseVolcado;
    auto t0 = std::chrono::steady_clock::now();
    const int rc = std::system(volcar.c_str());
    const double base = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (rc != 0) std::fprintf(stderr, "el volcado terminó con %d\n", rc);
    const double baseFs = filas / base;

    // Speed on loopback: ExportarInfo into an empty table, then ExportarXFADUA of every row into the full
    // one.
    const std::string todas = "2025-12-31 00:00:00";
    Corrida info[2], xfadua[2];
    for (int porRenglon : {0, 1}) {
        RehaceEspejo(espejo);
        info[porRenglon] = Exporta(false, porRenglon, problemas, local, 0, "", nullptr, puertoHub, filas);
        xfadua[porRenglon] = Exporta(true, porRenglon, problemas, local, 0, todas, nullptr, puertoHub, filas);
    }
    const std::string firma =
        "SELECT SUM(CRC32(CONCAT_WS('|',Id,Clave,Descrip,Costo,Precio3,FechaCambios,FADUA)))"
        " FROM articulos";
    const bool iguales = Cuenta(espejo, firma) == Cuenta(local, firma);

    // Requests per exported row, counted at the relay without delay: by blocks on every row, row by row on
    // the last 1 000 (the rate does not depend on the count).
    const long long parte = std::min(1000, filas);
    Corrida pedInfo[2], pedXfadua[2];
    RehaceEspejo(espejo);
    pedInfo[0] = Exporta(false, false, problemas, local, 0, "", proxy, puertoHub, filas);
    pedXfadua[0] = Exporta(true, false, problemas, local, 0, todas, proxy, puertoHub, filas);
    Ejecuta(espejo, "DELETE FROM articulos WHERE Id > " + std::to_string(filas - parte));
    pedInfo[1] = Exporta(false, true, problemas, local, filas - parte, "", proxy, puertoHub, parte);
    Ejecuta(local,
            "UPDATE articulos SET FADUA='2026-02-01 00:00:00' WHERE Id > " + std::to_string(filas - parte));
    pedXfadua[1] = Exporta(true, true, problemas, local, 0, "2026-01-15 00:00:00", proxy, puertoHub, parte);

    // Changed rows through the delay: 10 000 by blocks; row by row a sample, the whole extrapolated.
    proxy->Retraso(std::chrono::milliseconds(retrasoMs));
    Ejecuta(local, "UPDATE articulos SET Precio1=Precio1+1, FADUA='2026-03-01 00:00:00' WHERE Id <= " +
                       std::to_string(cambios));
    const Corrida lejos =
        Exporta(true, false, problemas, local, 0, "2026-02-15 00:00:00", proxy, puertoHub, cambios);
    Ejecuta(local, "UPDATE articulos SET Precio1=Precio1+1, FADUA='2026-04-01 00:00:00' WHERE Id <= " +
                       std::to_string(muestraPorRenglon));
    const Corrida lejosRenglon =
        Exporta(true, true, problemas, local, 0, "2026-03-15 00:00:00", proxy, puertoHub, muestraPorRenglon);
    proxy->Retraso(std::chrono::milliseconds(0));
    const bool igualesLejos = Cuenta(espejo, firma) == Cuenta(local, firma);

    // A table with a per-row routine (recorded deletions, each replayed in ESPEJO): its rows go by blocks,
    // the routines one statement each after their block.
    const int conRutina = std::min(10000, filas);
    Ejecuta(local, "CREATE DATABASE IF NOT EXISTS concentradorqmx");
    Ejecuta(local,
            "CREATE TABLE IF NOT EXISTS concentradorqmx.rutinaspendientes (Tabla VARCHAR(64) NOT NULL DEFAULT "
            "'', Clave VARCHAR(64) NOT NULL DEFAULT '', PRIMARY KEY (Tabla, Clave))");
    const char* kBorrado = "CREATE TABLE sqlborrado (Id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, Sentencia "
                           "TEXT NULL) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4";
    Ejecuta(local, "DROP TABLE IF EXISTS sqlborrado");
    Ejecuta(local, kBorrado);
    const std::string serie = " FROM seq_1_to_" + std::to_string(conRutina);
    Ejecuta(local, "INSERT INTO sqlborrado (Id, Sentencia) SELECT seq, CONCAT('DELETE FROM gastos WHERE Folio=', "
                   "seq)" + serie);
    Corrida rutina[2], pedRutina[2];
    for (int porRenglon : {0, 1})
        for (ProxyLatencia* p : {static_cast<ProxyLatencia*>(nullptr), proxy}) {
            Ejecuta(espejo, "DROP TABLE IF EXISTS sqlborrado, gastos");
            Ejecuta(espejo, kBorrado);
            Ejecuta(espejo, "CREATE TABLE gastos (Folio INT NOT NULL PRIMARY KEY) ENGINE=InnoDB");
            Ejecuta(espejo, "INSERT INTO gastos (Folio) SELECT seq" + serie);
            (p ? pedRutina : rutina)[porRenglon] =
                Exporta(false, porRenglon, problemas, local, 0, "", p, puertoHub, conRutina, "sqlborrado");
        }
    const bool rutinasHechas = Cuenta(espejo, "SELECT COUNT(*) FROM gastos") == "0" &&
                               Cuenta(local, "SELECT COUNT(*) FROM concentradorqmx.rutinaspendientes") == "0";
    Ejecuta(local, "DROP TABLE sqlborrado");

    // Resident memory: ExportarInfo of a small table and of a large one, by blocks and row by row.
    double memoria[2][2] = {{0, 0}, {0, 0}};
    if (grande > 0) {
        const int tamanos[2] = {10000, grande};
        for (int t : {0, 1}) {
            Ejecuta(local, "DROP TABLE articulos");
            Ejecuta(local, kTabla);
            std::printf("Llenando %d filas para la memoria...\n", tamanos[t]);
            std::fflush(stdout);
            Llena(local, tamanos[t]);
            for (int porRenglon : {0, 1}) {
                // Row by row the large table would take most of an hour: its memory is read on the first
                // 10 000 rows past the start of a table that holds them all.
                RehaceEspejo(espejo);
                const int64_t desde = porRenglon && t == 1 ? tamanos[t] - 10000 : 0;
                memoria[t][porRenglon] =
                    Exporta(false, porRenglon, problemas, local, desde, "", nullptr, puertoHub, tamanos[t])
                        .picoMiB;
            }
        }
    }
    CierraArchivo(problemas);

    auto fs = [](const Corrida& c) { return c.filas / c.segundos; };
    auto porFila = [](const Corrida& c) { return static_cast<double>(c.peticiones) / c.filas; };
    std::printf("\nFilas: %d; Limite 1000; ESPEJO igual a la local: %s (tras el retraso: %s)\n", filas,
                iguales ? "sí" : "NO", igualesLejos ? "sí" : "NO");
    std::printf("mysqldump | mysql: %.2f s, %.0f filas/s\n\n", base, baseFs);
    std::printf("%-52s %14s %14s %10s  %s\n", "cifra", "por bloques", "por renglón", "meta", "");
    for (auto [nombre, c] : {std::pair<const char*, Corrida*>{"ExportarInfo filas/s ÷ mysqldump|mysql", info},
                             {"ExportarXFADUA filas/s ÷ mysqldump|mysql", xfadua}})
        std::printf("%-52s %14.2f %14.2f %10s  %s  (%.0f y %.0f filas/s)\n", nombre, fs(c[0]) / baseFs,
                    fs(c[1]) / baseFs, ">= 0.5", Marca(fs(c[0]) / baseFs >= 0.5), fs(c[0]), fs(c[1]));
    std::printf("%-52s %14s %14s %10s  %s\n", "EnviarProductos filas/s ÷ mysqldump|mysql", "-", "-", ">= 0.5",
                "medido en productos_bench");
    for (auto [nombre, c] :
         {std::pair<const char*, Corrida*>{"peticiones al hub por fila, ExportarInfo", pedInfo},
          {"peticiones al hub por fila, ExportarXFADUA", pedXfadua}})
        std::printf("%-52s %14.4f %14.4f %10s  %s\n", nombre, porFila(c[0]), porFila(c[1]), "<= 0.02",
                    Marca(porFila(c[0]) <= 0.02));
    const double extrapolado = lejosRenglon.segundos * cambios / muestraPorRenglon;
    char titulo[96];
    std::snprintf(titulo, sizeof titulo, "%d filas cambiadas a %d ms por sentido (s)", cambios, retrasoMs);
    std::printf("%-52s %14.1f %13.0f* %10s  %s  (%llu peticiones por bloques)\n", titulo, lejos.segundos,
                extrapolado, "< 10", Marca(lejos.segundos < 10),
                static_cast<unsigned long long>(lejos.peticiones));
    std::snprintf(titulo, sizeof titulo, "con rutina (sqlborrado, %d filas) filas/s", conRutina);
    std::printf("%-52s %14.0f %14.0f %10s  %s\n", titulo, fs(rutina[0]), fs(rutina[1]), "-",
                rutinasHechas ? "rutinas hechas" : "rutinas NO hechas");
    std::printf("%-52s %14.4f %14.4f %10s  %s\n", "peticiones al hub por fila, con rutina", porFila(pedRutina[0]),
                porFila(pedRutina[1]), "-", "(1 por fila es la rutina misma)");
    if (grande > 0) {
        std::snprintf(titulo, sizeof titulo, "memoria residente MiB, 10 000 / %d filas", grande);
        const double dif = memoria[1][0] / memoria[0][0] - 1;
        std::printf("%-52s %6.1f/%-7.1f %6.1f/%-7.1f %10s  %s  (%+.1f %%)\n", titulo, memoria[0][0],
                    memoria[1][0], memoria[0][1], memoria[1][1], "<= 10 %", Marca(std::abs(dif) <= 0.10),
                    dif * 100);
    }
    std::printf("\n* por renglón: %d filas medidas a través del retraso (%.1f s), el resto extrapolado.\n",
                muestraPorRenglon, lejosRenglon.segundos);
    std::printf("Bloques enviados enteros: ExportarInfo %d, ExportarXFADUA %d, a través del retraso %d.\n",
                info[0].bloques, xfadua[0].bloques, lejos.bloques);

    for (const char* b : {kBaseEspejo, kBaseVolcado})
        Ejecuta(estado, std::string("DROP DATABASE IF EXISTS ") + b);
    Mod.BDLocal.AbrirBdD(local, "");
    Ejecuta(local, std::string("DROP DATABASE IF EXISTS ") + kBaseLocal);
    return 0;
}
