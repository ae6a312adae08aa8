#include "support/servidores.h"

#include <mysql.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace prueba {

namespace {

std::string Var(const char* n, const char* defecto = "") {
    const char* v = std::getenv(n);
    return v && *v ? v : defecto;
}

MYSQL* Conecta(const Servidor& s, const std::string& base) {
    MYSQL* m = mysql_init(nullptr);
    unsigned espera = 20;
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &espera);
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (!mysql_real_connect(
            m, s.host.c_str(), s.usuario.c_str(), s.password.c_str(), base.empty() ? nullptr : base.c_str(),
            static_cast<unsigned>(std::atoi(s.puerto.c_str())), nullptr, CLIENT_MULTI_STATEMENTS)) {
        std::string e = mysql_error(m);
        mysql_close(m);
        throw std::runtime_error("no conecta a " + s.host + ":" + s.puerto + " (" + base + "): " + e);
    }
    mysql_query(m, "SET SESSION sql_mode='NO_ENGINE_SUBSTITUTION'");
    return m;
}

// Every test and every program it starts share one group key, kept with the test servers' files (or in a
// folder of its own without them), never the real one of this machine.
const bool kLlaveDePrueba = [] {
    if (!Var("CONCENTRADOR_LLAVE_GRUPO").empty()) return true;
    std::string carpeta = Var("CNC_PRUEBA_DIR");
    if (carpeta.empty()) {
        carpeta = "/tmp/concentrador-pruebas-" + std::to_string(getuid());
        mkdir(carpeta.c_str(), 0700);
    }
    setenv("CONCENTRADOR_LLAVE_GRUPO", (carpeta + "/llave-grupo").c_str(), 1);
    return true;
}();

}  // namespace

bool HayServidores() {
    return !Var("CNC_PRUEBA_PUERTO_LOCAL").empty() && !Var("CNC_PRUEBA_PUERTO_HUB").empty();
}

Servidor ServidorLocal() {
    return {Var("CNC_PRUEBA_HOST", "127.0.0.1"), Var("CNC_PRUEBA_PUERTO_LOCAL"),
            Var("CNC_PRUEBA_USUARIO", "cnc"), Var("CNC_PRUEBA_PASSWORD")};
}

Servidor ServidorHub() {
    return {Var("CNC_PRUEBA_HOST", "127.0.0.1"), Var("CNC_PRUEBA_PUERTO_HUB"),
            Var("CNC_PRUEBA_USUARIO", "cnc"), Var("CNC_PRUEBA_PASSWORD")};
}

void Configura(kvtx8::BasesDD& bd, const Servidor& s, const std::string& base) {
    bd.cRuta = s.host;
    bd.cPuerto = s.puerto;
    bd.cUsuario = s.usuario;
    bd.cPassword = s.password;
    bd.cMiBase = base;
    bd.SegundosEspera = 5;
}

void EjecutaSQL(const Servidor& s, const std::string& base, const std::string& sql) {
    MYSQL* m = Conecta(s, base);
    std::string error;
    if (mysql_real_query(m, sql.data(), sql.size()) != 0) {
        error = mysql_error(m);
    } else {
        do {
            if (MYSQL_RES* r = mysql_store_result(m)) mysql_free_result(r);
            if (mysql_errno(m)) {
                error = mysql_error(m);
                break;
            }
        } while (mysql_next_result(m) == 0);
        if (error.empty() && mysql_errno(m)) error = mysql_error(m);
    }
    mysql_close(m);
    if (!error.empty()) throw std::runtime_error("SQL en " + base + ": " + error);
}

std::string RutaEsquema(const std::string& archivo) {
    return std::string(CONCENTRADOR_SCHEMA_DIR) + "/" + archivo;
}

void EjecutaArchivo(const Servidor& s, const std::string& base, const std::string& archivo) {
    std::ifstream f(archivo);
    if (!f) throw std::runtime_error("no se lee " + archivo);
    std::stringstream ss;
    ss << f.rdbuf();
    EjecutaSQL(s, base, ss.str());
}

void CreaBase(const Servidor& s, const std::string& base, const std::vector<std::string>& esquemas) {
    EjecutaSQL(s, "",
               "DROP DATABASE IF EXISTS `" + base + "`; CREATE DATABASE `" + base +
                   "` DEFAULT CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci");
    for (const auto& e : esquemas) EjecutaArchivo(s, base, RutaEsquema(e));
}

void BorraBase(const Servidor& s, const std::string& base) {
    EjecutaSQL(s, "", "DROP DATABASE IF EXISTS `" + base + "`");
}

std::vector<std::string> Filas(const Servidor& s, const std::string& base, const std::string& sql) {
    MYSQL* m = Conecta(s, base);
    std::vector<std::string> r;
    if (mysql_real_query(m, sql.data(), sql.size()) != 0) {
        std::string e = mysql_error(m);
        mysql_close(m);
        throw std::runtime_error("consulta: " + e);
    }
    if (MYSQL_RES* res = mysql_store_result(m)) {
        unsigned n = mysql_num_fields(res);
        while (MYSQL_ROW f = mysql_fetch_row(res)) {
            unsigned long* l = mysql_fetch_lengths(res);
            std::string linea;
            for (unsigned i = 0; i < n; ++i) {
                if (i) linea += '|';
                linea += f[i] ? std::string(f[i], l[i]) : "NULL";
            }
            r.push_back(linea);
        }
        mysql_free_result(res);
    }
    mysql_close(m);
    return r;
}

std::string Consulta(const Servidor& s, const std::string& base, const std::string& sql) {
    auto f = Filas(s, base, sql);
    if (f.empty()) return {};
    return f[0].substr(0, f[0].find('|'));
}

}  // namespace prueba
