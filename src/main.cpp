#include <CLI/CLI.hpp>

#include <iostream>
#include <iterator>
#include <string>

#include "components/de_acceso.h"

namespace {

// "-" reads the value from standard input (one line, or all of it without its final newline).
std::string Entrada(const std::string& valor) {
    if (valor != "-") return valor;
    std::string todo((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    while (!todo.empty() && (todo.back() == '\n' || todo.back() == '\r')) todo.pop_back();
    return todo;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Cliente del concentrador de información"};
    std::string cifrar, descifrar, clave;
    int variante = -1;
    auto* oc = app.add_option("--cifrar", cifrar, "Imprime la forma guardada de un valor (- lee la entrada)");
    auto* od =
        app.add_option("--descifrar", descifrar, "Imprime el valor de una forma guardada (- lee la entrada)");
    oc->excludes(od);
    auto* ov =
        app.add_option("--variante", variante, "Número de variante (1 a 4 para los datos de conexión)");
    auto* ok = app.add_option("--clave", clave, "Llave propia del renglón (columna AlE)");
    ov->excludes(ok);
    CLI11_PARSE(app, argc, argv);

    if (*oc || *od) {
        kvtx8::DeAcceso acceso;
        const bool cifra = static_cast<bool>(*oc);
        const std::string valor = Entrada(cifra ? cifrar : descifrar);
        std::string r;
        if (*ok)
            r = cifra ? acceso.Encripta(valor, clave) : acceso.DesEncripta(valor, clave);
        else if (*ov)
            r = cifra ? acceso.Encripta(valor, variante) : acceso.DesEncripta(valor, variante);
        else
            r = cifra ? acceso.Encripta(valor) : acceso.DesEncripta(valor);
        if (!cifra && acceso.UltimoFallo()) {
            std::cerr << "concentrador: el valor no se pudo descifrar con esa llave\n";
            return 1;
        }
        std::cout << r << "\n";
        return 0;
    }
    std::cerr << "concentrador: nada que hacer (vea --help)\n";
    return 2;
}
