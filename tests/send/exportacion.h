// A local company and its ESPEJO holding only the tables a test names (building all of them takes
// seconds), the module pointed at them, an open local connection and a clsEstandar ready to export.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/shared_routines.h"
#include "send/cls_estandar.h"
#include "support/falsos.h"
#include "support/servidores.h"

namespace prueba {

// The CREATE TABLE statements of the named tables of a schema file.
inline std::string SoloTablas(const std::string& archivo, const std::vector<std::string>& tablas) {
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

struct Bases {
    Bases(const std::vector<std::string>& tablas, bool qmx) : qmx(qmx) {
        CreaBase(local, baseLocal);
        CreaBase(hub, espejo);
        if (!tablas.empty()) {
            const std::string ddl = SoloTablas("empresa.sql", tablas);
            EjecutaSQL(local, baseLocal, ddl);
            EjecutaSQL(hub, espejo, ddl);
        }
        if (qmx) CreaBase(local, "concentradorqmx", {"concentradorqmx_local.sql"});
    }
    ~Bases() {
        try {
            BorraBase(local, baseLocal);
            BorraBase(hub, espejo);
            if (qmx) BorraBase(local, "concentradorqmx");
        } catch (...) {
        }
    }
    Servidor local = ServidorLocal(), hub = ServidorHub();
    std::string baseLocal = "datos1", espejo = "espejo1";
    bool qmx;
};

class Exportacion {
  public:
    explicit Exportacion(const std::vector<std::string>& tablas, bool qmx = false) : e(tablas, qmx) {
        Configura(cnc::Mod.BDLocal, e.local, e.baseLocal);
        Configura(cnc::Mod.BDRemota, e.hub, e.espejo);
        cnc::AbreBaseLocal(local);
        problemas =
            cnc::AbreArchivo(m.carpeta.Archivo("RegistrosConProblema.txt"), cnc::ModoArchivo::Agregar);
        est.HandleBitacora = problemas;
        est.ConexionLocal = &local;
        est.Limite = 100;
    }

    void Local(const std::string& sql) { EjecutaSQL(e.local, e.baseLocal, sql); }
    void Espejo(const std::string& sql) { EjecutaSQL(e.hub, e.espejo, sql); }
    void Qmx(const std::string& sql) { EjecutaSQL(e.local, "concentradorqmx", sql); }
    std::vector<std::string> FilasLocal(const std::string& sql) { return Filas(e.local, e.baseLocal, sql); }
    std::vector<std::string> FilasEspejo(const std::string& sql) { return Filas(e.hub, e.espejo, sql); }
    std::vector<std::string> FilasQmx(const std::string& sql) {
        return Filas(e.local, "concentradorqmx", sql);
    }
    std::string Problemas() const { return m.carpeta.Lee("RegistrosConProblema.txt"); }
    bool Caption(const std::string& texto) const {
        for (const auto& t : m.ventana.tablas)
            if (t == texto) return true;
        return false;
    }
    // The hub server stops answering for the ESPEJO (a closed port), and answers again.
    void EspejoCaido() {
        cnc::Mod.BDRemota.cPuerto = "1";
        est.ConexionEspejo().Cerrar();
    }
    void EspejoDeVuelta() { cnc::Mod.BDRemota.cPuerto = e.hub.puerto; }

    ModuloDePrueba m;
    Bases e;
    kvtx8::Conexion local;
    cnc::clsEstandar est;
    int problemas = 0;
};

}  // namespace prueba
