// Export speed against the two test servers, side by side in one run:
//   ExportarInfo into an empty ESPEJO table, ExportarXFADUA of the same rows into the full table, and a bulk
//   copy (mysqldump --no-create-info piped into mysql) as the baseline.
// Usage: scripts/test-servers start DIR && source DIR/env && build/bench/exportar_bench [rows]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "core/shared_routines.h"
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

std::map<std::string, long long> Estado(Conexion& cn) {
    std::map<std::string, long long> r;
    Registros rs;
    BasesDD bd;
    if (!bd.AbrirConsulta(rs, cn,
                          "SHOW GLOBAL STATUS WHERE Variable_name IN "
                          "('Com_select','Com_insert','Com_update','Questions')"))
        return r;
    for (; !rs.Eof(); rs.MoveNext())
        r[rs.Texto("Variable_name")] = static_cast<long long>(kvtx8::kvVal(rs.Texto("Value")));
    return r;
}

struct Medida {
    std::string nombre;
    double segundos = 0;
    std::map<std::string, long long> delta;
    long long filas = 0;
};

template <typename F>
Medida Mide(const std::string& nombre, long long filas, Conexion& estado, F&& f) {
    Medida m{nombre, 0, {}, filas};
    auto antes = Estado(estado);
    auto t0 = std::chrono::steady_clock::now();
    f();
    m.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    auto despues = Estado(estado);
    // The two status reads themselves count as questions; leave them out.
    for (auto& [k, v] : despues) m.delta[k] = v - antes[k] - (k == "Questions" ? 1 : 0);
    return m;
}

std::string Cuenta(Conexion& cn, const std::string& sql) {
    return cn.Escalar(sql).value_or("?");
}

}  // namespace

int main(int argc, char** argv) {
    const int filas = argc > 1 ? std::atoi(argv[1]) : 50000;
    const std::string puertoLocal = Var("CNC_PRUEBA_PUERTO_LOCAL"), puertoHub = Var("CNC_PRUEBA_PUERTO_HUB");
    if (puertoLocal.empty() || puertoHub.empty()) {
        std::fprintf(stderr, "sin servidores de prueba: scripts/test-servers start DIR && source DIR/env\n");
        return 2;
    }
    Configura(Mod.BDLocal, puertoLocal, kBaseLocal);
    Configura(Mod.BDRemota, puertoHub, kBaseEspejo);
    Mod.Carpeta = "/tmp";
    Mod.SegundosReintento = 2;

    Conexion local, espejo, volcado, estado;
    if (!CreaBase(Mod.BDLocal, local, kBaseLocal) || !CreaBase(Mod.BDRemota, espejo, kBaseEspejo) ||
        !CreaBase(Mod.BDRemota, volcado, kBaseVolcado) || !Mod.BDRemota.AbrirBdD(estado, ""))
        return 1;
    std::printf("Llenando %d filas de %s.articulos (20 columnas, llave única Clave)...\n", filas, kBaseLocal);
    if (!Llena(local, filas)) return 1;

    const int problemas = AbreArchivo("/tmp/bench_RegistrosConProblema.txt", ModoArchivo::Salida);
    const int16_t limite = 1000;

    Medida info = Mide("ExportarInfo, ESPEJO vacía", filas, estado, [&] {
        clsEstandar e;
        e.HandleBitacora = problemas;
        e.ConexionLocal = &local;
        e.Tabla = "articulos";
        e.Llave = "Id";
        e.UltimoFolio = 0;
        e.Limite = limite;
        e.ExportarInfo();
    });
    const std::string trasInfo = Cuenta(espejo, "SELECT COUNT(*) FROM articulos");

    Medida xfadua = Mide("ExportarXFADUA, ESPEJO llena", filas, estado, [&] {
        clsEstandar e;
        e.HandleBitacora = problemas;
        e.ConexionLocal = &local;
        e.Tabla = "articulos";
        e.Llave = "Id";
        e.Cronos("2025-12-31 00:00:00");
        e.Limite = limite;
        e.ExportarXFADUA();
    });
    const std::string trasXfadua = Cuenta(espejo, "SELECT COUNT(*) FROM articulos");

    const std::string credencial = "MYSQL_PWD='" + Var("CNC_PRUEBA_PASSWORD") + "' ";
    const std::string usuario = " -h127.0.0.1 -u'" + Var("CNC_PRUEBA_USUARIO") + "' ";
    const std::string volcar = credencial + "mysqldump --no-defaults --no-create-info --skip-triggers" +
                               usuario + "-P" + puertoLocal + " " + kBaseLocal + " articulos | " +
                               credencial + "mysql --no-defaults" + usuario + "-P" + puertoHub + " " +
                               kBaseVolcado;
    int rc = 0;
    Medida base = Mide("mysqldump | mysql (base)", filas, estado, [&] { rc = std::system(volcar.c_str()); });
    const std::string trasVolcado = Cuenta(volcado, "SELECT COUNT(*) FROM articulos");
    CierraArchivo(problemas);
    if (rc != 0) std::fprintf(stderr, "el volcado terminó con %d\n", rc);

    const bool iguales =
        Cuenta(espejo, "CHECKSUM TABLE articulos") != "?" &&
        Cuenta(espejo,
               "SELECT SUM(CRC32(CONCAT_WS('|',Id,Clave,Descrip,Costo,Precio3,FechaCambios,FADUA))) FROM "
               "articulos") ==
            Cuenta(local,
                   "SELECT SUM(CRC32(CONCAT_WS('|',Id,Clave,Descrip,Costo,Precio3,FechaCambios,FADUA))) FROM "
                   "articulos");

    std::printf(
        "\nFilas en ESPEJO: %s tras ExportarInfo, %s tras ExportarXFADUA; en la copia masiva: %s; "
        "ESPEJO igual a la local: %s\n",
        trasInfo.c_str(), trasXfadua.c_str(), trasVolcado.c_str(), iguales ? "sí" : "NO");
    std::printf("Limite (filas por bloque): %d\n\n", limite);
    std::printf("%-30s %9s %11s %12s %9s %9s %9s %10s\n", "", "segundos", "filas/s", "vs. base", "select/f",
                "insert/f", "update/f", "sentenc/f");
    for (const Medida* m : {&info, &xfadua, &base}) {
        const double fs = m->filas / m->segundos;
        const double porFila = 1.0 / static_cast<double>(m->filas);
        std::printf("%-30s %9.2f %11.0f %11.1fx %9.3f %9.3f %9.3f %10.3f\n", m->nombre.c_str(), m->segundos,
                    fs, m->segundos / base.segundos, m->delta.at("Com_select") * porFila,
                    m->delta.at("Com_insert") * porFila, m->delta.at("Com_update") * porFila,
                    m->delta.at("Questions") * porFila);
    }
    std::printf(
        "\n(\"vs. base\": veces el tiempo de la copia masiva; por fila: sentencias que recibió el hub)\n");

    for (const char* b : {kBaseEspejo, kBaseVolcado})
        Ejecuta(estado, std::string("DROP DATABASE IF EXISTS ") + b);
    Mod.BDLocal.AbrirBdD(local, "");
    Ejecuta(local, std::string("DROP DATABASE IF EXISTS ") + kBaseLocal);
    return 0;
}
