// The two test servers and the databases a test builds on them from schema/.
#pragma once

#include <string>
#include <vector>

#include "components/bases_dd.h"

namespace prueba {

struct Servidor {
    std::string host = "127.0.0.1";
    std::string puerto;
    std::string usuario;
    std::string password;
};

// From the variables scripts/test-servers writes; the test is skipped by the caller when absent.
bool HayServidores();
Servidor ServidorLocal();
Servidor ServidorHub();

// Loads the connection data of a server into a component.
void Configura(kvtx8::BasesDD& bd, const Servidor& s, const std::string& base = "");

// Runs a file or a text of several statements; throws std::runtime_error with the server's message.
void EjecutaSQL(const Servidor& s, const std::string& base, const std::string& sql);
void EjecutaArchivo(const Servidor& s, const std::string& base, const std::string& archivo);
// Drops and creates a database, loading the named schema files (e.g. "empresa.sql") into it.
void CreaBase(const Servidor& s, const std::string& base, const std::vector<std::string>& esquemas = {});
void BorraBase(const Servidor& s, const std::string& base);
// The first column of the first row, "" when none.
std::string Consulta(const Servidor& s, const std::string& base, const std::string& sql);
// Every row, columns joined by '|'.
std::vector<std::string> Filas(const Servidor& s, const std::string& base, const std::string& sql);
std::string RutaEsquema(const std::string& archivo);

}  // namespace prueba

#define REQUIERE_SERVIDORES()                                                       \
    do {                                                                            \
        if (!::prueba::HayServidores()) GTEST_SKIP() << "sin servidores de prueba"; \
    } while (0)
