// The handlers of configuration, kit, offer and cost files, and the recomputation of sale prices.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "components/de_precios.h"
#include "components/lectura_secuencial.h"
#include "components/modo_estricto.h"
#include "components/transaccion.h"
#include "components/utilerias.h"
#include "core/archivo_de_trabajo.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/cls_aux.h"
#include "receive/impuestos.h"
#include "send/cls_estandar.h"
#include "send/copia_producto.h"

namespace cnc {

namespace {

std::string NumeroTexto(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", v);
    return b;
}

// "Precio7" (any case) -> 7; 0 when the name is no price number.
int NumeroDePrecio(const std::string& campo) {
    const std::string c = kvtx8::Minusculas(kvtx8::Recorta(campo));
    if (c.size() < 7 || c.rfind("precio", 0) != 0) return 0;
    const std::string n = c.substr(6);
    if (n.find_first_not_of("0123456789") != std::string::npos) return 0;
    const int v = std::atoi(n.c_str());
    return v >= 1 && v <= 50 ? v : 0;
}

}  // namespace

// --- Sale prices from their formulas ---
//
// Settings, as the company keeps them in configura:
// - "IVA" is the general VAT rate; with "VariosIVAs" each product's own IVA is used.
// - With "ImpAdicional" set, the additional tax is the product's own ImpuestoAd when "VariosImpAd" is set,
//   else the general rate "ImpAdGeneral" ("ImpuestoAd" when that one is empty, as older companies name
//   it). Without "ImpAdicional" there is no additional tax.
// - "AumentarImptosCosto": prices built on cost are built on cost with taxes.
// - "Precios": how many prices the company uses; 0 or nothing is 1, more than 50 is 50.
// A price whose formula names a column the product does not have, a price above 5 the product lacks, or a
// currency without a parity is left as it stands.

bool clsAux::RecalcularPrecios(Conexion& local, const std::string& clave) {
    BasesDD& bd = Mod.BDLocal;
    kvtx8::DePrecios precios;
    const std::string fuente = "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1";
    Registros p;
    if (!bd.AbrirTabla(p, local, fuente)) return false;
    if (p.Eof()) return true;

    auto config = [&](const char* dato) { return bd.LeerConfig(dato, local); };
    const bool multiMoneda = ComoBooleano(config("MultiMoneda"));
    const bool variosIVAs = ComoBooleano(config("VariosIVAs"));
    const double ivaGeneral = kvtx8::kvVal(config("IVA"));
    const bool impAdicional = ComoBooleano(config("ImpAdicional"));
    bool variosImpAd = false;
    double impAdGeneral = 0;
    if (impAdicional) {
        variosImpAd = ComoBooleano(config("VariosImpAd"));
        std::string general = kvtx8::Recorta(config("ImpAdGeneral"));
        if (general.empty()) general = config("ImpuestoAd");
        impAdGeneral = kvtx8::kvVal(general);
    }
    uint8_t aplicaIVA = 0, aplicaImpAd = 0;
    LeerAplicacionImpuestos(aplicaIVA, aplicaImpAd, local);
    const bool conImpuestos = ComoBooleano(config("AumentarImptosCosto"));
    const double cuantos = kvtx8::kvVal(config("Precios"));
    const int numeroDePrecios = cuantos < 1 ? 1 : cuantos > 50 ? 50 : static_cast<int>(cuantos);

    for (int n = 1; n <= numeroDePrecios; ++n) {
        std::string campo, operador;
        double factor = 0, regla = 0, actual = 0;
        if (n <= 5) {
            const std::string s = std::to_string(n);
            campo = p.Texto("forCampo" + s);
            operador = p.Texto("forOperador" + s);
            factor = p.Numero("forFactor" + s);
            regla = p.Numero("forRedondear" + s);
            actual = p.Numero("Precio" + s);
        } else {
            actual = precios.ElPrecio(local, clave, n);
            if (!precios.Hallado) continue;
            campo = precios.CampoFormula;
            operador = precios.OperadorFormula;
            factor = precios.FactorFormula;
            regla = precios.RedondeoFormula;
        }
        campo = kvtx8::Recorta(campo);
        if (campo.empty()) continue;
        const std::string nombre = kvtx8::Minusculas(campo);
        double base = 0;
        if (nombre == "costo" || nombre == "costoprom") {
            base = p.Numero(nombre == "costo" ? "Costo" : "CostoProm");
            if (conImpuestos) {
                const double tasaIVA = variosIVAs ? p.Numero("IVA") : ivaGeneral;
                const double tasaImpAd = !impAdicional ? 0
                                         : variosImpAd ? p.Numero("ImpuestoAd")
                                                       : impAdGeneral;
                double iva = 0, impAd = 0;
                base = CostoConImpuestos(base, aplicaIVA, aplicaImpAd, iva, impAd, tasaIVA, tasaImpAd);
            }
            const auto enVenta =
                ConvertirMoneda(local, multiMoneda, p.Entero("MonedaCompra"), p.Entero("MonedaVenta"), base);
            if (!enVenta) {
                if (!local.Abierta()) return false;
                continue;
            }
            base = *enVenta;
        } else if (const int m = NumeroDePrecio(nombre); m > 5) {
            kvtx8::DePrecios otro;
            base = otro.ElPrecio(local, clave, m);
            if (!otro.Hallado) continue;
        } else if (p.TieneCampo(campo)) {
            base = p.Numero(campo);
        } else {
            continue;
        }
        const double nuevo = kvtx8::DePrecios::AplicaFormula(base, operador, factor, regla);
        if (std::round(nuevo * 10000) == std::round(actual * 10000)) continue;
        const bool escrito =
            n > 5
                ? local.Ejecutar("UPDATE productosmasprecios SET Precio=" + NumeroTexto(nuevo) +
                                 " WHERE Producto=" + local.Literal(clave) +
                                 " AND NumeroDePrecio=" + std::to_string(n))
                : local.Ejecutar("Update productos set Precio" + std::to_string(n) + "=" +
                                 NumeroTexto(nuevo) + kvtx8::CambXXXSQL(" where Clave='XXX'", clave, local));
        if (!escrito || !RegistraCambioDePrecio(local, clave, n, nuevo, actual)) return false;
        // Later formulas may be built on this price.
        if (!bd.AbrirTabla(p, local, fuente)) return false;
        if (p.Eof()) return true;
    }
    return true;
}

namespace {

using Unidad = kvtx8::UnidadEstricta;

std::string Numerado(const char* campo, int i) {
    return campo + std::to_string(i);
}

bool EsEntero(const std::string& texto) {
    if (!kvtx8::EsNumerico(texto)) return false;
    const double v = kvtx8::kvVal(texto);
    return v == std::floor(v) && std::fabs(v) < 2e9;
}

std::string Entrecomillado(const std::string& texto) {
    return "\"" + texto + "\"";
}

std::string Recorte(const std::string& texto) {
    return Entrecomillado(texto.substr(0, 60));
}

// The values of a cost file, in the order the hub writes them.
//   Record 1: Costo, CostoProm (empty leaves the average cost as it is).
//   Records 2 to 6, one per price number 1 to 5: Precio, forCampo, forOperador, forFactor, forRedondear.
//   Then any lines; each one that mentions ClaveAlterna is the record "ClaveAlterna","<alternate key>".
struct ArchivoDeCosto {
    std::string costo, costoProm;
    std::string precio[6], campo[6], operador[6], factor[6], redondeo[6];
    std::vector<std::string> alternas;
};

bool LeeArchivoDeCosto(const std::string& contenido, ArchivoDeCosto& a, std::string& error) {
    kvtx8::LecturaSecuencial f(contenido);
    std::vector<std::string> v;
    if (!f.Registro(v, 2)) return error = f.Error(), false;
    if (!kvtx8::EsNumerico(v[0])) return error = "costo que no es número: " + Recorte(v[0]), false;
    if (!kvtx8::Recorta(v[1]).empty() && !kvtx8::EsNumerico(v[1]))
        return error = "costo promedio que no es número: " + Recorte(v[1]), false;
    a.costo = kvtx8::Recorta(v[0]);
    a.costoProm = kvtx8::Recorta(v[1]);
    for (int n = 1; n <= 5; ++n) {
        if (!f.Registro(v, 5)) return error = "precio " + std::to_string(n) + ", " + f.Error(), false;
        const std::string op = kvtx8::Mayusculas(kvtx8::Recorta(v[2]));
        if (!kvtx8::EsNumerico(v[0]) || !kvtx8::EsNumerico(v[3]) || !kvtx8::EsNumerico(v[4]) ||
            !(op.empty() || op == "+" || op == "--" || op == "X" || op == "/"))
            return error = "precio " + std::to_string(n) +
                           " sin el formato precio, campo, operador, factor, "
                           "redondeo (línea " +
                           std::to_string(f.NumeroDeLinea()) + ")",
                   false;
        a.precio[n] = kvtx8::Recorta(v[0]);
        a.campo[n] = kvtx8::Recorta(v[1]);
        a.operador[n] = op;
        a.factor[n] = kvtx8::Recorta(v[3]);
        a.redondeo[n] = kvtx8::Recorta(v[4]);
    }
    for (std::string linea; f.Linea(linea);) {
        if (linea.find("ClaveAlterna") == std::string::npos) continue;
        std::string e;
        if (!kvtx8::LecturaSecuencial::Valores(linea, v, e) || v.size() != 2 || v[0] != "ClaveAlterna" ||
            v[1].empty())
            return error = "clave alterna sin el formato \"ClaveAlterna\",\"clave\" (línea " +
                           std::to_string(f.NumeroDeLinea()) + ")",
                   false;
        a.alternas.push_back(v[1]);
    }
    return true;
}

}  // namespace

bool clsAux::CostoLegible(const std::string& contenido, std::string& error) {
    ArchivoDeCosto a;
    return LeeArchivoDeCosto(contenido, a, error);
}

// --- "CC" ---
//
// What the hub leaves to this program, decided here:
// - The file's five price records carry, per price number 1 to 5, the price and its formula (column,
//   operator, factor, rounding); ranges come from the MATRIZ through CopiarRangos.
// - The cost is always the file's: the franchise cost price of the product copy does not apply here.
// - Formulas: an ordinary branch (type 0) takes the file's formula of each price whose formula it is sent
//   (cncEnviarFormul); other branches keep their own formulas.
// - Values: a price with a formula (forCampo not empty, after the formulas above) is always its formula's
//   result, so prices never disagree with their formulas. A price without one takes the file's value when
//   the branch is sent it: price n for an ordinary branch that is sent price n (cncEnviarPrecio), file
//   price n for local price i when a franchise maps i to n (cncPrecioiEnFran, 1 to 5); otherwise it stays.
// - RecalcularPrecios runs when the stored Costo and the file's differ by a cent or more (as currency,
//   four decimals), or when a formula changed; otherwise the formula prices already stand on this cost.
// - A product locked against price changes (BloqueadoVsCambioPrecios) gets the cost, the ranges and the
//   alternate keys, and keeps its prices and formulas.
// - Everything local is one unit; the ESPEJO is updated after it. A lost connection or a lock is an error
//   that passes: the row waits and is applied again whole on the next cycle (twice is the same as once).

bool clsAux::LeerCambioCosto(const std::string& clave, Conexion& local, const std::string& ruta,
                             const std::string& matriz, Conexion& espejo) {
    std::string contenido;
    if (!LeeArchivoCompleto(ruta, contenido)) {
        TomarElError(0, "No se pudo leer el archivo de trabajo");
        return false;
    }
    // Written with bare line feeds: given CR LF, as the sequential reading of the original expected.
    if (contenido.find("\r\n") == std::string::npos && contenido.find('\n') != std::string::npos) {
        std::string crlf;
        for (char c : contenido) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        contenido = std::move(crlf);
        std::ofstream(ruta, std::ios::binary | std::ios::trunc) << contenido;
    }
    ArchivoDeCosto a;
    std::string error;
    if (!LeeArchivoDeCosto(contenido, a, error)) {
        TomarElError(0, "Archivo de cambio de costo mal formado, " + error);
        return false;
    }

    auto falla = [&](Conexion& cn) {
        TomarElError(cn);
        return false;
    };
    if (!AbreBaseLocal(local)) return falla(local);
    Unidad t(local);
    if (!t.Abierta()) return falla(local);
    const std::string fuente = "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1";
    Registros producto;
    if (!Mod.BDLocal.AbrirTabla(producto, local, fuente)) return falla(local);
    if (producto.Eof()) {
        // The copy reads the dependent rows on the connection it is given: the MATRIZ itself.
        Conexion cnMatriz;
        if (!AbreBaseRemota(cnMatriz, matriz)) return falla(cnMatriz);
        Registros origen;
        if (!Mod.BDRemota.AbrirTabla(origen, cnMatriz,
                                     "productos WHERE Clave = " + cnMatriz.Literal(clave) + " LIMIT 1"))
            return falla(cnMatriz);
        if (origen.Eof()) {
            NoExisteEnMatriz();
            return false;
        }
        if (!CopiaProducto(origen, cnMatriz, local, true, false)) {
            CopiaFallida(local, cnMatriz, clave);
            return false;
        }
        if (!Mod.BDLocal.AbrirTabla(producto, local, fuente)) return falla(local);
        if (producto.Eof()) return false;
    }
    const long long id = producto.Entero("Id");
    const bool bloqueado = producto.Entero("BloqueadoVsCambioPrecios") != 0;
    for (int n = 1; n <= 5; ++n)
        if (!a.campo[n].empty() && !NumeroDePrecio(a.campo[n]) && !producto.TieneCampo(a.campo[n])) {
            TomarElError(0, "Archivo de cambio de costo mal formado, el precio " + std::to_string(n) +
                                " se calcula de un campo que no existe: " + Recorte(a.campo[n]));
            return false;
        }

    std::vector<std::string> campos = {"Costo", "FechaCambios"};
    std::vector<Valor> valores = {kvtx8::NumeroDecimalSQL(a.costo), kvtx8::FechaSQL(Ahora())};
    if (!a.costoProm.empty()) {
        campos.push_back("CostoProm");
        valores.push_back(kvtx8::NumeroDecimalSQL(a.costoProm));
    }
    struct Cambio {
        int numero;
        double nuevo, anterior;
    };
    std::vector<Cambio> cambios;
    bool formulaCambiada = false;
    if (!bloqueado) {
        const bool ordinaria = Mod.TipoSucursal == 0;
        std::string campoFinal[6];
        for (int n = 1; n <= 5; ++n) {
            campoFinal[n] = kvtx8::Recorta(producto.Texto(Numerado("forCampo", n)));
            if (!ordinaria || !Mod.EnviarFormula[n]) continue;
            const std::string s = std::to_string(n);
            formulaCambiada =
                formulaCambiada || campoFinal[n] != a.campo[n] ||
                kvtx8::Mayusculas(producto.Texto("forOperador" + s)) != a.operador[n] ||
                kvtx8::DifiereUnCentavo(producto.Numero("forFactor" + s), kvtx8::kvVal(a.factor[n])) ||
                kvtx8::DifiereUnCentavo(producto.Numero("forRedondear" + s), kvtx8::kvVal(a.redondeo[n]));
            campoFinal[n] = a.campo[n];
            for (auto [c, v] : {std::pair{"forCampo", a.campo[n]}, std::pair{"forOperador", a.operador[n]},
                                std::pair{"forFactor", kvtx8::NumeroDecimalSQL(a.factor[n])},
                                std::pair{"forRedondear", kvtx8::NumeroDecimalSQL(a.redondeo[n])}}) {
                campos.push_back(c + s);
                valores.push_back(v);
            }
        }
        for (int i = 1; i <= 5; ++i) {
            int deArchivo = 0;
            if (ordinaria) {
                deArchivo = Mod.EnviarPrecio[i] ? i : 0;
            } else {
                const std::string n = kvtx8::Recorta(Mod.PrecioEnFran[i]);
                deArchivo = EsEntero(n) && kvtx8::kvVal(n) >= 1 && kvtx8::kvVal(n) <= 5
                                ? static_cast<int>(kvtx8::kvVal(n))
                                : 0;
            }
            if (!deArchivo || !campoFinal[i].empty()) continue;
            const double nuevo = kvtx8::kvVal(a.precio[deArchivo]);
            campos.push_back(Numerado("Precio", i));
            valores.push_back(NumeroTexto(nuevo));
            cambios.push_back({i, nuevo, producto.Numero(Numerado("Precio", i))});
        }
    }
    const bool costoCambiado = kvtx8::DifiereUnCentavo(producto.Numero("Costo"), kvtx8::kvVal(a.costo));
    if (!Mod.BDLocal.ActualizaRegistro(producto, local, "productos", campos, valores,
                                       "Id = " + std::to_string(id)))
        return falla(local);
    for (const auto& c : cambios)
        if (!RegistraCambioDePrecio(local, clave, c.numero, c.nuevo, c.anterior)) return falla(local);
    if (!bloqueado && (costoCambiado || formulaCambiada) && !RecalcularPrecios(local, clave))
        return falla(local);

    CopiarRangos(espejo, matriz, clave, local, id);
    if (!TextoError.empty()) return false;
    for (const auto& alterna : a.alternas) {
        Registros rs;
        if (!Mod.BDLocal.AbrirTabla(rs, local,
                                    "clavesalternas WHERE ClaveProducto = " + local.Literal(clave) +
                                        kvtx8::CambXXXSQL(" AND ClaveAlterna = 'XXX'", alterna, local) +
                                        " LIMIT 1",
                                    "Id"))
            return falla(local);
        if (rs.Eof() && !Mod.BDLocal.AgregaRegistro(rs, local, "clavesalternas",
                                                    {"ClaveProducto", "ClaveAlterna"}, {clave, alterna}))
            return falla(local);
    }
    if (!t.Confirma()) return falla(local);

    if (!AbreBaseEspejo(espejo)) return falla(espejo);
    ReplicarEnEspejo(clave, local, espejo);
    if (!TextoError.empty()) return false;
    return true;
}

namespace {

constexpr int kAvisoOferta = 9;

// A number of the file as a single-precision value, as the kit's columns were filled.
std::string Sencillo(const std::string& texto) {
    char b[32];
    std::snprintf(b, sizeof b, "%.7g", static_cast<double>(static_cast<float>(kvtx8::kvVal(texto))));
    return b;
}

// A flag of the file: a number, or #TRUE# / #FALSE# as Write # puts a boolean.
std::optional<std::string> Bandera(const std::string& texto) {
    const std::string t = kvtx8::Minusculas(kvtx8::Recorta(texto));
    if (t == "true") return "1";
    if (t == "false") return "0";
    if (EsEntero(t)) return kvtx8::kvVal(t) != 0 ? "1" : "0";
    return std::nullopt;
}

}  // namespace

// --- "KT" ---

bool clsAux::LeerKit(const std::string& clave, Conexion& local, const std::string& ruta) {
    std::string contenido;
    if (!LeeArchivoCompleto(ruta, contenido)) {
        TomarElError(0, "No se pudo leer el archivo de trabajo");
        return false;
    }
    std::vector<std::string> lineas;
    if (std::string error; !LeeKit(contenido, lineas, error)) {
        TomarElError(0, "Archivo de kit mal formado: " + error);
        return false;
    }

    auto falla = [&]() {
        TomarElError(local);
        return false;
    };
    if (!AbreBaseLocal(local)) return falla();
    Unidad t(local);
    if (!t.Abierta()) return falla();
    Registros kit;
    if (!Mod.BDLocal.AbrirTabla(kit, local, "kits WHERE Clave = " + local.Literal(clave) + " LIMIT 1", "Id"))
        return falla();
    const std::string costo = kvtx8::NumeroDecimalSQL(lineas[0]);
    if (kit.Eof() ? !Mod.BDLocal.AgregaRegistro(kit, local, "kits", {"Clave", "Costo"}, {clave, costo})
                  : !local.Ejecutar("UPDATE kits SET Costo = " + costo +
                                    kvtx8::CambXXXSQL(" WHERE Clave = 'XXX'", clave, local)))
        return falla();
    // Only the cost: the components stay as they are.
    if (lineas.size() > 1) {
        if (!local.Ejecutar(kvtx8::CambXXXSQL("DELETE FROM kitskardex WHERE Kit = 'XXX'", clave, local)))
            return falla();
        for (size_t i = 1; i < lineas.size(); i += 4) {
            Registros rs;
            if (!Mod.BDLocal.AgregaRegistro(rs, local, "kitskardex",
                                            {"Kit", "Partida", "Clave", "Cantidad", "Costo"},
                                            {clave, kvtx8::NumeroSQL(lineas[i]), lineas[i + 1],
                                             Sencillo(lineas[i + 2]), Sencillo(lineas[i + 3])}))
                return falla();
        }
    }
    if (!t.Confirma()) return falla();
    return true;
}

bool clsAux::LeeKit(const std::string& contenido, std::vector<std::string>& lineas, std::string& error) {
    // One value per line, as it stands (a key may hold a comma); blank lines at the end are not records.
    kvtx8::LecturaSecuencial f(contenido);
    lineas.clear();
    for (std::string l; f.Linea(l);) lineas.push_back(l);
    while (!lineas.empty() && kvtx8::Recorta(lineas.back()).empty()) lineas.pop_back();
    auto malo = [&](const std::string& texto) {
        error = texto;
        return false;
    };
    if (lineas.empty()) return malo("no trae el costo");
    if (!kvtx8::EsNumerico(lineas[0])) return malo("costo que no es número " + Recorte(lineas[0]));
    if ((lineas.size() - 1) % 4 != 0)
        return malo("componentes de cuatro líneas incompletos (" + std::to_string(lineas.size()) +
                    " líneas)");
    for (size_t i = 1; i < lineas.size(); i += 4) {
        const std::string linea = " en la línea " + std::to_string(i + 1);
        if (!EsEntero(lineas[i])) return malo("partida que no es número entero" + linea);
        if (lineas[i + 1].empty()) return malo("componente sin clave" + linea);
        if (!kvtx8::EsNumerico(lineas[i + 2]) || !kvtx8::EsNumerico(lineas[i + 3]))
            return malo("cantidad o costo que no es número" + linea);
    }
    return true;
}

// --- "OF" ---

bool clsAux::LeerOferta(const Registros&, Conexion& local, const std::string& ruta, Conexion& servidorLocal) {
    std::string contenido;
    if (!LeeArchivoCompleto(ruta, contenido)) {
        TomarElError(0, "No se pudo leer el archivo de trabajo");
        return false;
    }
    std::vector<std::string> r1, r2, productos;
    if (std::string error; !LeeOferta(contenido, r1, r2, productos, error)) {
        TomarElError(0, "Archivo de oferta mal formado, " + error);
        return false;
    }
    const auto inicio = kvtx8::LeeFecha(r1[1]), final_ = kvtx8::LeeFecha(r1[2]);
    const auto exacto = Bandera(r2[1]);
    auto falla = [&]() {
        TomarElError(local);
        return false;
    };
    if (!AbreBaseLocal(local)) return falla();
    Unidad t(local);
    if (!t.Abierta()) return falla();
    // Catalogues by name, created when missing; an empty name is 0 (any).
    int64_t linea = 0, subLinea = 0, marca = 0;
    if (!r1[3].empty() && !(linea = clsEstandar::ObtenerIdPorNombre(r1[3], "lineas", local, "Linea")))
        return falla();
    if (linea && !r1[4].empty() && !(subLinea = clsEstandar::ObtenerIdSubLinea(r1[4], linea, local)))
        return falla();
    if (!r1[5].empty() && !(marca = clsEstandar::ObtenerIdPorNombre(r1[5], "marcas", local, "Marca")))
        return falla();

    const std::string ini = kvtx8::FechaSQL(*inicio), fin = kvtx8::FechaSQL(*final_);
    const std::string paga = kvtx8::NumeroDecimalSQL(r1[6]), lleva = kvtx8::NumeroDecimalSQL(r1[7]),
                      descuento = kvtx8::NumeroDecimalSQL(r1[8]), manera = kvtx8::NumeroSQL(r2[0]);
    Registros igual;
    if (!Mod.BDLocal.AbrirTabla(
            igual, local,
            "descuentoyoferta WHERE Tipo = " + local.Literal(r1[0]) + " AND FechaInicio = '" + ini +
                "' AND FechaFinal = '" + fin + "' AND Linea = " + std::to_string(linea) +
                " AND Sublinea = " + std::to_string(subLinea) + " AND Marca = " + std::to_string(marca) +
                " AND Paga = " + paga + " AND Lleva = " + lleva + " AND Descuento = " + descuento +
                " AND ManeraDeAplicar = " + manera + " AND ProductoExacto = " + *exacto + " LIMIT 1",
            "Id"))
        return falla();
    // Already registered: sent again, it adds only the products the offer lacks, under its own key.
    if (!igual.Eof()) {
        const std::string id = std::to_string(igual.Entero("Id"));
        for (const auto& producto : productos) {
            const std::string p = local.Literal(producto);
            if (!local.Ejecutar("INSERT INTO productosenpromocion (IdPromocion, Producto) SELECT " + id + ", " +
                                p + " FROM DUAL WHERE NOT EXISTS (SELECT 1 FROM productosenpromocion WHERE "
                                "IdPromocion = " + id + " AND Producto = " + p + ")"))
                return falla();
        }
        if (!t.Confirma()) return falla();
        return true;
    }

    Registros rs;
    if (!Mod.BDLocal.AgregaRegistro(rs, local, "descuentoyoferta",
                                    {"Tipo", "FechaInicio", "FechaFinal", "Linea", "SubLinea", "Marca",
                                     "Paga", "Lleva", "Descuento", "ManeraDeAplicar", "ProductoExacto"},
                                    {r1[0], ini, fin, std::to_string(linea), std::to_string(subLinea),
                                     std::to_string(marca), paga, lleva, descuento, manera, *exacto}))
        return falla();
    // The key this insert was given, not the table's largest: another writer may have added one since.
    const std::string id = std::to_string(local.IdInsertado());
    if (!local.Ejecutar("DELETE FROM productosenpromocion WHERE IdPromocion = " + id)) return falla();
    for (const auto& producto : productos)
        if (!Mod.BDLocal.AgregaRegistro(rs, local, "productosenpromocion", {"IdPromocion", "Producto"},
                                        {id, producto}))
            return falla();
    if (!t.Confirma()) return falla();
    GrabarAviso(servidorLocal, "Oferta " + id + " registrada", kAvisoOferta);
    return true;
}

bool clsAux::LeeOferta(const std::string& contenido, std::vector<std::string>& r1, std::vector<std::string>& r2,
                       std::vector<std::string>& productos, std::string& error) {
    auto malo = [&](const std::string& texto) {
        error = texto;
        return false;
    };
    kvtx8::LecturaSecuencial f(contenido);
    std::vector<std::string> v;
    productos.clear();
    if (!f.Registro(r1, 9)) return malo(f.Error());
    if (!f.Registro(r2, 2)) return malo(f.Error());
    const auto inicio = kvtx8::LeeFecha(r1[1]), final_ = kvtx8::LeeFecha(r1[2]);
    if (!inicio || !final_) return malo("fecha no válida: " + Recorte(inicio ? r1[2] : r1[1]));
    for (int i : {6, 7, 8})
        if (!kvtx8::EsNumerico(r1[i])) return malo("Paga, Lleva o Descuento que no es número");
    const auto exacto = Bandera(r2[1]);
    if (!EsEntero(r2[0]) || !exacto) return malo("ManeraDeAplicar o ProductoExacto que no es número");
    while (!f.Fin()) {
        if (!f.Registro(v, 1)) return malo(f.Error());
        if (v[0].empty()) return malo("producto sin clave en la línea " + std::to_string(f.NumeroDeLinea()));
        productos.push_back(v[0]);
    }
    return true;
}

// --- "CN" ---

void clsAux::LeerDeConfigura(Conexion& local, const std::string& ruta) {
    std::string contenido;
    if (!LeeArchivoCompleto(ruta, contenido)) return TomarElError(0, "No se pudo leer el archivo de trabajo");
    // The whole file is read before anything is written: a file cut short changes nothing.
    std::vector<std::pair<std::string, std::string>> datos;
    if (std::string error; !LeeConfigura(contenido, datos, error)) return TomarElError(0, error);
    if (datos.empty()) return;
    if (!AbreBaseLocal(local)) return TomarElError(local);
    Unidad t(local);
    if (!t.Abierta()) return TomarElError(local);
    for (const auto& [dato, valor] : datos)
        if (!local.Ejecutar("UPDATE configura SET Contenido = " + local.Literal(valor) +
                            kvtx8::CambXXXSQL(" WHERE Dato = 'XXX'", dato, local)))
            return TomarElError(local);
    if (!t.Confirma()) TomarElError(local);
}

bool clsAux::LeeConfigura(const std::string& contenido, std::vector<std::pair<std::string, std::string>>& datos,
                          std::string& error) {
    kvtx8::LecturaSecuencial f(contenido);
    datos.clear();
    for (std::vector<std::string> v; !f.Fin();) {
        if (!f.Registro(v, 2)) return error = "Archivo de configuración mal formado, " + f.Error(), false;
        if (v[0].empty())
            return error = "Configuración sin nombre de dato en la línea " + std::to_string(f.NumeroDeLinea()),
                   false;
        // The sender doubles backslashes; the value is stored with single ones, and otherwise as it
        // stands (apostrophes too: the value is escaped, not re-quoted).
        std::string valor;
        for (size_t i = 0; i < v[1].size(); ++i) {
            valor += v[1][i];
            if (v[1][i] == '\\' && i + 1 < v[1].size() && v[1][i + 1] == '\\') ++i;
        }
        datos.emplace_back(v[0], valor);
    }
    return true;
}

}  // namespace cnc
