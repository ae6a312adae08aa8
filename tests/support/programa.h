// The real executable on the demo group: a program folder, its registry file and the group's databases.
#pragma once

#include <string>
#include <vector>

#include "support/falsos.h"
#include "support/servidores.h"

namespace prueba {

struct Corrida {
    int estado = -1;  // exit status; 128 + signal when it died by one
    std::string salida, mensajes;
};

class GrupoDemo {
  public:
    // Builds the group on the servers of the current CNC_PRUEBA_* variables.
    GrupoDemo();
    std::string Carpeta() const { return carpeta.Ruta() + "/programa"; }
    std::string Registro() const { return carpeta.Ruta() + "/registro.ini"; }
    std::string Bitacora() const { return carpeta.Lee("programa/BitacoraConcentrador.txt"); }

    // Runs `concentrador --sin-ventana --si --carpeta <folder> --una-vez --modo N` and waits for it.
    Corrida Ejecuta(int modo) const;
    // Starts the same run without waiting; returns its process id.
    int Inicia(int modo) const;
    static Corrida Espera(int pid);

    std::vector<std::string> Argumentos(int modo) const;

    Servidor local, hub;
    std::string espejo = "sucursal_centro", matriz = "matriz_norte";
    CarpetaTemporal carpeta;
};

// Runs a command line through the shell; its exit status.
int Sistema(const std::string& linea);

}  // namespace prueba
