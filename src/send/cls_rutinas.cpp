#include "send/cls_rutinas.h"

#include <cctype>

#include "core/shared_routines.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

constexpr const char* kCreaAuxiliar =
    "CREATE TABLE IF NOT EXISTS cnc_tabla_auxiliar (Clave varchar(15) NOT NULL DEFAULT '',PRIMARY KEY "
    "(Clave))";
constexpr const char* kBorraAuxiliar = "DROP TABLE IF EXISTS cnc_tabla_auxiliar";

}  // namespace

const RutinaDeTabla* RutinaDe(const std::string& tabla) {
    static const RutinaDeTabla kRutinas[] = {
        {"sqlborrado", [](clsRutinas& r, Registros& rs) { r.SQLsBorrado(rs); }, nullptr},
        {"anexopagosctes", [](clsRutinas& r, Registros& rs) { r.LasCxCs(rs); }, nullptr},
        {"anexopagosprov", [](clsRutinas& r, Registros& rs) { r.LasCxPs(rs); }, nullptr},
        {"edoctacli", [](clsRutinas& r, Registros& rs) { r.ClientesProveedores(rs, "clientes"); }, nullptr},
        {"edoctaprov", [](clsRutinas& r, Registros& rs) { r.ClientesProveedores(rs, "proveedores"); },
         nullptr},
        {"historicoalmacen", [](clsRutinas& r, Registros& rs) { r.ElKardex(rs); },
         [](clsRutinas& r) { r.PasarProductosLista(); }},
        {"promociones", [](clsRutinas& r, Registros& rs) { r.SusProductos(rs); }, nullptr},
        {"vendedores", [](clsRutinas& r, Registros& rs) { r.DeVendedores(rs); }, nullptr},
    };
    const std::string t = kvtx8::Minusculas(tabla);
    for (const auto& r : kRutinas)
        if (t == r.tabla) return &r;
    return nullptr;
}

clsRutinas::clsRutinas() = default;

clsRutinas::~clsRutinas() {
    if (!fallo_ && !ContextoCiclo::Detenido() && BdL && BdL->Abierta()) BdL->Ejecutar(kBorraAuxiliar);
}

void clsRutinas::Falla(const Conexion* cn) {
    fallo_ = true;
    pasajero_ = pasajero_ || !cn || ErrorPasajero(*cn);
}

bool clsRutinas::Ejecuta(Conexion& cn, const std::string& sql) {
    if (cn.Ejecutar(sql)) return true;
    Falla(&cn);
    return false;
}

bool clsRutinas::Abre(Registros& rs, Conexion& cn, const std::string& fuente, const std::string& campos) {
    // A look-up that failed is no "not found": acting on it could delete what exists.
    if (Mod.BDLocal.AbrirTabla(rs, cn, fuente, campos)) return true;
    Falla(&cn);
    return false;
}

bool clsRutinas::Primera() {
    if (listasLeidas_) return false;
    listasLeidas_ = true;
    return true;
}

bool clsRutinas::NuevaEnAuxiliar(const std::string& clave) {
    Registros rs;
    if (!Abre(rs, *BdL, kvtx8::CambXXXSQL("cnc_tabla_auxiliar WHERE Clave='XXX'", clave, *BdL), "Clave"))
        return false;
    if (!rs.Eof()) return false;
    return Ejecuta(*BdL, "INSERT INTO cnc_tabla_auxiliar (Clave) VALUES (" + BdL->Literal(clave) + ")");
}

void clsRutinas::EscribeEnEspejo(const Registros& local, const std::string& fuente,
                                 const std::vector<std::string>& campos) {
    Registros suyo;
    if (!Abre(suyo, *BdR, fuente)) return;
    if (suyo.Eof()) suyo.AddNew();
    clsEstandar::PasaCampos(local, suyo, campos, "");
    if (!suyo.Update()) Falla(BdR);
}

void clsRutinas::AgregaSiFalta(const Registros& local, const std::string& fuente, const Registros& estructura,
                               const std::vector<std::string>& campos) {
    Registros suyo;
    if (!Abre(suyo, *BdR, fuente, "1")) return;
    if (!suyo.Eof()) return;
    Registros nuevo = estructura;
    nuevo.AddNew();
    clsEstandar::PasaCampos(local, nuevo, campos, "");
    if (!nuevo.Update()) Falla(BdR);
}

bool clsRutinas::BorradoPermitido(const std::string& sentencia, std::string& motivo) {
    // Walks the text outside quoted literals and back-quoted names; a dot there names another database
    // (or a column of one), and a second statement or a comment could hide anything.
    std::string t = kvtx8::Recorta(sentencia);
    while (!t.empty() && t.back() == ';') t = kvtx8::Recorta(t.substr(0, t.size() - 1));
    const std::string inicio = "delete from ";
    if (kvtx8::Minusculas(t.substr(0, inicio.size())) != inicio) {
        motivo = "no es un DELETE FROM";
        return false;
    }
    size_t i = inicio.size();
    while (i < t.size() && t[i] == ' ') ++i;
    // The table: a plain or back-quoted name, not followed by a dot.
    if (i < t.size() && t[i] == '`') {
        for (++i; i < t.size(); ++i)
            if (t[i] == '`') {
                if (i + 1 < t.size() && t[i + 1] == '`')
                    ++i;
                else
                    break;
            }
        ++i;
    } else {
        while (i < t.size() && (std::isalnum(static_cast<unsigned char>(t[i])) || t[i] == '_' || t[i] == '$'))
            ++i;
    }
    if (i == inicio.size()) {
        motivo = "no nombra una tabla";
        return false;
    }
    char comilla = 0;
    for (size_t k = inicio.size(); k < t.size(); ++k) {
        const char c = t[k];
        if (comilla) {
            if (c == '\\' && comilla != '`')
                ++k;
            else if (c == comilla)
                comilla = 0;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`') {
            comilla = c;
        } else if (c == ';') {
            motivo = "contiene más de una sentencia";
            return false;
        } else if (c == '#' || (c == '-' && k + 1 < t.size() && t[k + 1] == '-') ||
                   (c == '/' && k + 1 < t.size() && t[k + 1] == '*')) {
            motivo = "contiene un comentario";
            return false;
        } else if (c == '.') {
            const bool decimal = k > 0 && k + 1 < t.size() &&
                                 std::isdigit(static_cast<unsigned char>(t[k - 1])) &&
                                 std::isdigit(static_cast<unsigned char>(t[k + 1]));
            if (!decimal) {
                motivo = "nombra otra base de datos";
                return false;
            }
        }
    }
    if (comilla) {
        motivo = "tiene comillas sin cerrar";
        return false;
    }
    return true;
}

void clsRutinas::SQLsBorrado(Registros& rs) {
    if (!BdR || !AbreBaseEspejo(*BdR)) {
        Falla(nullptr);
        return;
    }
    // The local system's record of a deletion. Anything but a plain deletion in the ESPEJO itself is
    // reported and not run: the hub account could reach every company's data.
    const std::string sentencia = rs.Texto("Sentencia");
    if (kvtx8::Recorta(sentencia).empty()) return;
    std::string motivo;
    if (!BorradoPermitido(sentencia, motivo)) {
        ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- No se ejecutó sqlborrado, Id " +
                                         rs.Texto("Id") + " (" + motivo + "): " + sentencia);
        return;
    }
    Ejecuta(*BdR, sentencia);
}

void clsRutinas::LasCxCs(Registros& rs) {
    Pagos(rs, true);
}

void clsRutinas::LasCxPs(Registros& rs) {
    Pagos(rs, false);
}

void clsRutinas::Pagos(Registros& rs, bool clientes) {
    if (!BdL || !BdR) return;
    const std::string saldos = clientes ? "cxc" : "cxp";
    struct Documento {
        const char* campo;
        const char* tipo;
        const char* tabla;
    };
    static const Documento kClientes[] = {
        {"Factura", "F", "facturas"}, {"Remision", "R", "remisiones"}, {"Apartado", "A", "apartados"}};
    static const Documento kProveedores[] = {{"Compra", "M", "compras"}, {"CompraND", "N", "comprasnd"}};

    std::string tipo, numero, tabla, llave;
    if (rs.Entero("Cargo") != 0) {
        tipo = "C", numero = rs.Texto("Cargo"), tabla = saldos, llave = "Id";
    } else {
        const Documento* ini = clientes ? std::begin(kClientes) : std::begin(kProveedores);
        const Documento* fin = clientes ? std::end(kClientes) : std::end(kProveedores);
        for (const Documento* d = ini; d != fin; ++d) {
            if (rs.Entero(d->campo) == 0) continue;
            tipo = d->tipo, numero = rs.Texto(d->campo), tabla = d->tabla, llave = "Numero";
            break;
        }
    }
    if (tipo.empty()) return;  // a payment of no document
    numero = kvtx8::NumeroSQL(numero);
    const std::string donde = " WHERE Tipo='" + tipo + "' AND Numero=" + numero;
    Registros saldo;
    if (!Abre(saldo, *BdL, saldos + donde, "Saldo")) return;
    if (!saldo.Eof())
        Ejecuta(*BdR, "UPDATE " + tabla + " SET Saldo=" + kvtx8::NumeroDecimalSQL(saldo.Texto("Saldo")) +
                          " WHERE " + llave + "=" + numero);
    else
        Ejecuta(*BdR, "DELETE FROM " + saldos + donde);
}

void clsRutinas::ElKardex(Registros& rs) {
    if (!BdL || !BdR) return;
    if (Primera()) {
        Registros l, e;
        if (!Abre(l, *BdL, "textosproductos LIMIT 0") || !Abre(e, *BdR, "textosproductos LIMIT 0")) return;
        Mod.BDLocal.ObtenerEstructura(l, e, campos1_);
        if (!Ejecuta(*BdL, kBorraAuxiliar) || !Ejecuta(*BdL, kCreaAuxiliar)) return;
    }
    const std::string producto = rs.Texto("Producto");

    // The stock of this product is refreshed in ESPEJO after the table, or in a later run.
    if (!AbreBase(Mod.BDLocal, qmx_, "concentradorqmx")) {
        Falla(nullptr);
        return;
    }
    Registros cola;
    if (!Abre(cola, qmx_, kvtx8::CambXXXSQL("productosenkardex WHERE Clave = 'XXX' LIMIT 1", producto, qmx_),
              "Clave"))
        return;
    if (cola.Eof() &&
        !Ejecuta(qmx_, "INSERT INTO productosenkardex (Clave) VALUES (" + qmx_.Literal(producto) + ")"))
        return;

    if (!NuevaEnAuxiliar(producto)) return;
    Registros texto;
    if (!Abre(texto, *BdL, kvtx8::CambXXXSQL("textosproductos WHERE Clave = 'XXX'", producto, *BdL))) return;
    if (!texto.Eof())
        EscribeEnEspejo(texto, kvtx8::CambXXXSQL("textosproductos WHERE Clave = 'XXX'", producto, *BdR),
                        campos1_);
}

void clsRutinas::PasarProductosLista() {
    if (!BdL || !BdR) return;
    const std::string productos = kvtx8::Identificador(BdL->Base(), "productos");
    Registros cola;
    if (!Abre(cola, *BdL,
              "concentradorqmx.productosenkardex LEFT JOIN " + productos +
                  " ON productosenkardex.Clave=productos.Clave ORDER BY Clave",
              "productosenkardex.Clave," + productos + ".Existencia"))
        return;
    for (; !cola.Eof(); cola.MoveNext()) {
        const std::string clave = cola.Texto("Clave");
        Registros local;
        if (!Abre(local, *BdL, kvtx8::CambXXXSQL("productos WHERE Clave='XXX' LIMIT 1", clave, *BdL),
                  "Existencia"))
            return;
        if (!local.Eof()) {
            if (!AbreBaseEspejo(*BdR)) {
                // The rest stays queued too; one retry window is enough to know.
                Falla(nullptr);
                return;
            }
            Ventana().TablaActual("productosenkardex \n" + kvtx8::CambXXX("Producto 'XXX'", clave));
            Ventana().Ceder();
            Registros suyo;
            if (!Abre(suyo, *BdR, kvtx8::CambXXXSQL("productos WHERE Clave='XXX' LIMIT 1", clave, *BdR),
                      "Id"))
                return;
            if (!suyo.Eof() && !Ejecuta(*BdR, "UPDATE productos SET Existencia=" +
                                                  kvtx8::NumeroDecimalSQL(local.Texto("Existencia")) +
                                                  " WHERE Id=" + kvtx8::NumeroSQL(suyo.Texto("Id"))))
                return;
        }
        BdL->Ejecutar(kvtx8::CambXXXSQL("DELETE FROM concentradorqmx.productosenkardex WHERE Clave='XXX'",
                                        clave, *BdL));
    }
    Mod.BDLocal.CierraTabla(cola);

    if (!Mod.BDLocal.HayTabla("cnc_tabla_auxiliar", *BdL)) return;
    Registros aux;
    if (!Abre(aux, *BdL, "cnc_tabla_auxiliar ORDER BY Clave")) return;
    if (!aux.Eof() && !AbreBaseEspejo(*BdR)) {
        Falla(nullptr);
        return;
    }
    for (; !aux.Eof(); aux.MoveNext()) {
        const std::string clave = aux.Texto("Clave");
        Registros p;
        if (!Abre(p, *BdL, kvtx8::CambXXXSQL("productos WHERE Clave='XXX' LIMIT 1", clave, *BdL),
                  "Existencia,Costo,CostoProm,Precio1,Precio2,Precio3,Precio4,Precio5"))
            return;
        if (p.Eof()) continue;
        std::string sql =
            "UPDATE productos SET Existencia=" + kvtx8::NumeroDecimalSQL(p.Texto("Existencia")) +
            ",Costo=" + kvtx8::NumeroDecimalSQL(p.Texto("Costo")) +
            ",CostoProm=" + kvtx8::NumeroDecimalSQL(p.Texto("CostoProm"));
        for (int i = 1; i <= 5; ++i) {
            const std::string c = "Precio" + std::to_string(i);
            sql += "," + c + "=" + kvtx8::NumeroDecimalSQL(p.Texto(c));
        }
        if (!Ejecuta(*BdR, sql + kvtx8::CambXXXSQL(" WHERE Clave='XXX'", clave, *BdR))) return;
    }
}

void clsRutinas::ClientesProveedores(Registros& rs, const std::string& tipo) {
    if (!BdL || !BdR) return;
    if (tipo != "clientes" && tipo != "proveedores") {
        fallo_ = true;  // a programming error: nothing to retry
        return;
    }
    const std::string tabla = "textos" + tipo;
    if (Primera()) {
        Registros l, e;
        if (!Abre(l, *BdL, tabla + " LIMIT 0") || !Abre(e, *BdR, tabla + " LIMIT 0")) return;
        Mod.BDLocal.ObtenerEstructura(l, e, campos1_);
        if (!Ejecuta(*BdL, kBorraAuxiliar) || !Ejecuta(*BdL, kCreaAuxiliar)) return;
    }
    const std::string clave = rs.Texto("clave");
    if (!NuevaEnAuxiliar(clave)) return;
    Registros texto;
    const std::string plantilla = tabla + " WHERE Clave = 'XXX'";
    if (!Abre(texto, *BdL, kvtx8::CambXXXSQL(plantilla, clave, *BdL))) return;
    if (!texto.Eof()) EscribeEnEspejo(texto, kvtx8::CambXXXSQL(plantilla, clave, *BdR), campos1_);
}

void clsRutinas::SusProductos(Registros& rs) {
    if (!BdL || !BdR) return;
    if (Primera()) {
        if (!Abre(estructura1_, *BdR, "productosenpromocion LIMIT 0")) return;
        Mod.BDRemota.ObtenerEstructura(estructura1_, campos1_);
    }
    const std::string fuente = "productosenpromocion WHERE IdPromocion = " + kvtx8::NumeroSQL(rs.Texto("Id"));
    Registros local;
    if (!Abre(local, *BdL, fuente + " ORDER BY Producto")) return;
    for (; !local.Eof() && !fallo_; local.MoveNext())
        AgregaSiFalta(local,
                      kvtx8::CambXXXSQL(fuente + " AND Producto = 'XXX'", local.Texto("Producto"), *BdR),
                      estructura1_, campos1_);
}

void clsRutinas::DeVendedores(Registros& rs) {
    if (!BdL || !BdR) return;
    if (Primera()) {
        if (!Abre(estructura1_, *BdR, "comisiones LIMIT 0") ||
            !Abre(estructura2_, *BdR, "comisionesporlinea LIMIT 0"))
            return;
        Mod.BDRemota.ObtenerEstructura(estructura1_, campos1_);
        Mod.BDRemota.ObtenerEstructura(estructura2_, campos2_);
    }
    const std::string clave = rs.Texto("clave");
    Registros local;
    const std::string comisiones = kvtx8::CambXXXSQL("comisiones WHERE Vendedor='XXX'", clave, *BdL);
    if (!Abre(local, *BdL, comisiones + " ORDER BY Renglon")) return;
    for (; !local.Eof() && !fallo_; local.MoveNext())
        AgregaSiFalta(local,
                      kvtx8::CambXXXSQL("comisiones WHERE Vendedor='XXX'", clave, *BdR) +
                          " AND Renglon=" + kvtx8::NumeroSQL(local.Texto("Renglon")),
                      estructura1_, campos1_);
    const std::string porLinea = kvtx8::CambXXXSQL("comisionesporlinea WHERE Vendedor='XXX'", clave, *BdL);
    if (!Abre(local, *BdL, porLinea + " ORDER BY Linea")) return;
    for (; !local.Eof() && !fallo_; local.MoveNext())
        AgregaSiFalta(local,
                      kvtx8::CambXXXSQL("comisionesporlinea WHERE Vendedor='XXX'", clave, *BdR) +
                          " AND Linea=" + kvtx8::NumeroSQL(local.Texto("Linea")),
                      estructura2_, campos2_);
}

}  // namespace cnc
