// A program folder beside the test servers: the usual databases, the installation entry of the registry
// pointing at the local test server, and a configuration file naming that installation.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "core/shared_routines.h"
#include "components/utilerias.h"
#include "support/falsos.h"
#include "support/servidores.h"

namespace prueba {

inline constexpr const char* kInstalacion = "Software\\Tarvena\\Instalaciones\\1";

struct Escenario {
    Entorno entorno;
    ModuloDePrueba m;
    std::string tarvena;

    Escenario() {
        cnc::ReiniciaForm1();
        cnc::Correcciones().clear();
        tarvena = m.carpeta.Archivo("tarvena");
        std::filesystem::create_directories(tarvena);
        setenv("XDG_CONFIG_HOME", m.carpeta.Archivo("xdg").c_str(), 1);
        const Servidor& s = entorno.local;
        auto& r = cnc::Mod.Registro;
        r.GrabarCadena(kInstalacion, "Ruta", tarvena);
        r.GrabarCadena(kInstalacion, "servidor", s.host);
        r.GrabarCadena(kInstalacion, "MySQLServer", s.host);
        r.GrabarCadena(kInstalacion, "MySQLPuerto", s.puerto);
        r.GrabarCadena(kInstalacion, "MySQLUsuario", cnc::Mod.Acceso.Encripta(s.usuario));
        r.GrabarCadena(kInstalacion, "MySQLPassword", cnc::Mod.Acceso.Encripta(s.password));
        Ini("Ruta de Tarvena Premium", tarvena);
    }
    ~Escenario() { cnc::ReiniciaForm1(); }

    void Ini(const std::string& clave, const std::string& valor,
             const std::string& seccion = "Configuración") {
        kvtx8::EscribeIni(seccion, clave, valor, cnc::Mod.ArchivoIni);
    }
    std::string LeeIni(const std::string& clave, const std::string& seccion = "Configuración") {
        return kvtx8::LeeIni(seccion, clave, cnc::Mod.ArchivoIni);
    }
    // A hub setting of the local concentradorqmx.
    std::string Ajuste(const std::string& dato) {
        return Consulta(entorno.local, "concentradorqmx",
                        "SELECT Contenido FROM configuracion WHERE Dato='" + dato + "'");
    }
    void Local(const std::string& base, const std::string& sql) { EjecutaSQL(entorno.local, base, sql); }
    // The local company row with its ESPEJO connection data, as the settings panel stores them.
    void EmpresaConDatos(const std::string& servidor = "127.0.0.1", const std::string& espejo = "espejo1") {
        auto& a = cnc::Mod.Acceso;
        Local("generaltarvena",
              "INSERT INTO empresas (BaseDeDatos, NombreComercial, Servidor2, Puerto2, Usuario2, Conexion2, "
              "BaseDeDatos3) VALUES ('datos1', 'Sucursal Uno', '" +
                  a.Encripta(servidor, 1) + "', " + entorno.hub.puerto + ", '" +
                  a.Encripta(entorno.hub.usuario, 3) + "', '" + a.Encripta(entorno.hub.password, 4) + "', '" +
                  a.Encripta(espejo, 2) + "')");
    }
    // Start-up up to the settings (CreaObjetos).
    bool CreaObjetos() {
        std::string exe;
        bool ok = false;
        cnc::clsDeInicio().CreaObjetos(exe, ok);
        return ok;
    }
    bool HuboCaja(const std::string& titulo) const {
        for (const auto& c : m.ventana.cajas)
            if (c.titulo == titulo) return true;
        return false;
    }
    const VentanaGrabadora::Caja* Caja(const std::string& titulo) const {
        for (const auto& c : m.ventana.cajas)
            if (c.titulo == titulo) return &c;
        return nullptr;
    }
};

}  // namespace prueba
