#include "send/copia_producto.h"

#include <cmath>
#include <cstdio>
#include <tuple>
#include <vector>

#include "components/de_precios.h"
#include "components/transaccion.h"
#include "core/shared_routines.h"
#include "send/ciclo.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

constexpr const char* kUsuario = "CONCENTRAD";
constexpr const char* kMotivo = "CAMBIO DE PRECIOS DESDE CONCENTRADOR";

std::string Texto(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.4f", v);
    std::string s = b;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

bool InsertaCambio(Conexion& destino, const std::string& clave, int numero, double nuevo, double anterior) {
    if (!kvtx8::DifiereUnCentavo(nuevo, anterior)) return true;
    const kvtx8::FechaHora ahora = Ahora();
    Registros rs;
    return Mod.BDLocal.AgregaRegistro(
        rs, destino, "cambiosdeprecios",
        {"Producto", "Fecha", "Hora", "Usuario", "PrecioAnterior", "PrecioNuevo", "Numero", "Motivo"},
        {clave, kvtx8::FechaSQL(ahora), kvtx8::Formato(ahora, "hh:nn:ss"), kUsuario, Texto(anterior),
         Texto(nuevo), std::to_string(numero), kMotivo});
}

// "INSERT ... SELECT ... WHERE NOT EXISTS": the row goes in only when none has the same `llave` columns,
// compared by the server under the table's own collation.
bool AgregaSiFalta(Conexion& cn, const std::string& tabla, const std::vector<std::string>& campos,
                   const std::vector<Valor>& valores, size_t llave) {
    std::string cols, vals, donde;
    for (size_t i = 0; i < campos.size(); ++i) {
        if (i) cols += ",", vals += ",";
        cols += kvtx8::Identificador(campos[i]);
        vals += cn.Literal(valores[i]);
        if (i < llave)
            donde += std::string(i ? " AND " : "") + kvtx8::Identificador(campos[i]) + " = " +
                     cn.Literal(valores[i]);
    }
    const std::string t = kvtx8::Identificador(tabla);
    return cn.Ejecutar("INSERT INTO " + t + " (" + cols + ") SELECT " + vals +
                       " FROM DUAL WHERE NOT EXISTS " + "(SELECT 1 FROM " + t + " WHERE " + donde + ")");
}

}  // namespace

std::optional<int64_t> CopiadorDeProductos::Catalogo(Conexion& origen, Conexion& destino,
                                                     const std::string& tabla, const std::string& campo,
                                                     int64_t idOrigen) {
    if (idOrigen <= 0) return 0;
    const std::string llave = tabla + "|" + std::to_string(idOrigen);
    if (auto it = traducidos_.find(llave); it != traducidos_.end()) return it->second;
    Registros rs;
    if (!Mod.BDLocal.AbrirTabla(rs, origen,
                                kvtx8::Identificador(tabla) + " WHERE Id = " + std::to_string(idOrigen),
                                kvtx8::Identificador(campo)))
        return std::nullopt;
    const std::string nombre = rs.Eof() ? "" : rs.Texto(campo);
    if (nombre.empty()) return 0;
    const int64_t id = clsEstandar::ObtenerIdPorNombre(nombre, tabla, destino, campo);
    if (id == 0) return std::nullopt;
    traducidos_[llave] = id;
    return id;
}

bool CopiadorDeProductos::Linea(Conexion& origen, Conexion& destino, int64_t lineaOrigen,
                                int64_t subLineaOrigen, int64_t& linea, int64_t& subLinea) {
    const auto l = Catalogo(origen, destino, "lineas", "Linea", lineaOrigen);
    if (!l) return false;
    linea = *l;
    subLinea = 0;
    if (subLineaOrigen <= 0 || linea == 0) return true;
    const std::string llave = "sublineas|" + std::to_string(linea) + "|" + std::to_string(subLineaOrigen);
    if (auto it = traducidos_.find(llave); it != traducidos_.end()) return subLinea = it->second, true;
    Registros rs;
    if (!Mod.BDLocal.AbrirTabla(rs, origen, "sublineas WHERE Id = " + std::to_string(subLineaOrigen),
                                "SubLinea"))
        return false;
    const std::string nombre = rs.Eof() ? "" : rs.Texto("SubLinea");
    if (nombre.empty()) return true;
    subLinea = clsEstandar::ObtenerIdSubLinea(nombre, linea, destino);
    if (subLinea == 0) return false;
    traducidos_[llave] = subLinea;
    return true;
}

bool CopiadorDeProductos::Copia(const Registros& o, Conexion& origen, Conexion& destino, bool esNuevo,
                                bool muestraProgreso, const std::string& titulo) {
    const std::string clave = o.Texto("Clave");
    if (clave.empty() || !destino.Abierta() || !origen.Abierta()) return false;
    BasesDD& bd = Mod.BDLocal;
    const std::string claveSQL = "'" + destino.Escapar(clave) + "'";
    const std::string claveOrigen = "'" + origen.Escapar(clave) + "'";

    kvtx8::Transaccion unidad(destino);
    if (!unidad.Activa()) return false;
    bool perdida = false;  // a connection was lost or the unit undone by the server: nothing stays
    // A statement refused for good is skipped and written down; the rest of the product still goes.
    auto falla = [&](Conexion& cn) {
        if (ErrorPasajero(cn)) {
            perdida = true;
            return false;
        }
        AnotaError("CopiaProducto " + clave + " Nº " + std::to_string(cn.UltimoError()) + ": " +
                   cn.MensajeError());
        return true;
    };
    auto termina = [&]() {
        unidad.Deshace();
        traducidos_.clear();
        return false;
    };

    if (!hayCambios_) {
        const bool hay = bd.HayTabla("cambiosdeprecios", destino);
        if (!destino.Abierta()) return termina();
        hayCambios_ = hay;
    }

    std::vector<std::string> campos;
    std::vector<Valor> valores;
    auto pon = [&](const std::string& c, const Valor& v) {
        campos.push_back(c);
        valores.push_back(v);
    };
    auto pasa = [&](const std::string& c) {
        if (o.TieneCampo(c)) pon(c, o.Dato(c));
    };

    // 2. Dates and the plain header columns.
    if (esNuevo) {
        pon("Clave", clave);
        pon("FechaRegistro", kvtx8::FechaSQL(Ahora()));
    } else if (auto f = kvtx8::LeeFecha(o.Texto("FechaCambios"))) {
        pon("FechaCambios", kvtx8::FechaSQL(*f));
    }
    for (const char* c : {"Descrip", "DescripCorta", "IVA", "ImpuestoAd", "CostoProm"}) pasa(c);

    // The destination's prices before the copy, for the price-change record.
    double anteriores[6] = {};
    if (!esNuevo && *hayCambios_) {
        Registros rs;
        if (!bd.AbrirTabla(rs, destino, "productos WHERE Clave = " + claveSQL + " LIMIT 1",
                           "Precio1, Precio2, Precio3, Precio4, Precio5")) {
            if (!falla(destino)) return termina();
        } else if (!rs.Eof()) {
            for (int i = 1; i <= 5; ++i) anteriores[i] = rs.Numero("Precio" + std::to_string(i));
        }
    }
    struct Cambio {
        int numero;
        double nuevo, anterior;
    };
    std::vector<Cambio> cambios;
    // UPDATEs of prices 6 to 50, each with the change it records once it went.
    std::vector<std::pair<std::string, std::optional<Cambio>>> masPrecios;

    // 3. Cost and prices by branch type.
    kvtx8::DePrecios precios;
    // A price the source could not read is left out, never written as 0.
    auto precioOrigen = [&](int n) -> std::optional<double> {
        if (n <= 5) return o.Numero("Precio" + std::to_string(n));
        const double v = precios.ElPrecio(origen, clave, n);
        if (precios.Fallo) return std::nullopt;
        return v;
    };
    if (Mod.TipoSucursal != 0) {
        if (Mod.CostoEnFran > 0 && Mod.CostoEnFran <= 50) {
            if (const auto v = precioOrigen(Mod.CostoEnFran))
                pon("Costo", Texto(*v));
            else if (!falla(origen))
                return termina();
        } else {
            pasa("Costo");
        }
        for (int i = 1; i <= 5; ++i) {
            const std::string n = kvtx8::Recorta(Mod.PrecioEnFran[i]);
            if (n.empty() || n == "0") continue;
            // A setting that names no price list is skipped rather than read as list 0.
            const int numero = static_cast<int>(kvtx8::kvVal(n));
            if (numero < 1 || numero > 50) continue;
            const auto v = precioOrigen(numero);
            if (!v) {
                if (!falla(origen)) return termina();
                continue;
            }
            const std::string s = std::to_string(i);
            pon("Precio" + s, Texto(*v));
            pasa("Rango" + s);
            cambios.push_back({i, *v, anteriores[i]});
        }
    } else {
        pasa("Costo");
        for (int n = 1; n <= 5; ++n) {
            const std::string s = std::to_string(n);
            if (Mod.EnviarPrecio[n]) {
                pasa("Precio" + s);
                pasa("Rango" + s);
                cambios.push_back({n, o.Numero("Precio" + s), anteriores[n]});
            }
            if (Mod.EnviarFormula[n])
                for (const char* c : {"forCampo", "forOperador", "forFactor", "forRedondear"}) pasa(c + s);
        }
        bool alguno = false;
        for (int n = 6; n <= 50; ++n) alguno = alguno || Mod.EnviarPrecio[n] || Mod.EnviarFormula[n];
        if (alguno) {
            // Both sides' rows of prices 6 to 50 in one read each, instead of one look-up per number.
            Registros suyos, mios;
            const std::string donde = " AND NumeroDePrecio BETWEEN 6 AND 50 ORDER BY NumeroDePrecio";
            if (!bd.AbrirTabla(
                    suyos, origen, "productosmasprecios WHERE Producto = " + claveOrigen + donde,
                    "NumeroDePrecio, Precio, Rango, forCampo, forOperador, forFactor, forRedondear")) {
                if (!falla(origen)) return termina();
            } else if (!bd.AbrirTabla(mios, destino,
                                      "productosmasprecios WHERE Producto = " + claveSQL + donde,
                                      "NumeroDePrecio, Precio")) {
                if (!falla(destino)) return termina();
            } else {
                std::map<int, double> destinoTiene;
                for (; !mios.Eof(); mios.MoveNext())
                    destinoTiene[static_cast<int>(mios.Entero("NumeroDePrecio"))] = mios.Numero("Precio");
                for (; !suyos.Eof(); suyos.MoveNext()) {
                    const int n = static_cast<int>(suyos.Entero("NumeroDePrecio"));
                    if (n < 6 || n > 50 || (!Mod.EnviarPrecio[n] && !Mod.EnviarFormula[n])) continue;
                    Ventana().Ceder();
                    // A destination without the row is not given one, nor a record of a price it lacks.
                    auto d = destinoTiene.find(n);
                    if (d == destinoTiene.end()) continue;
                    std::string set;
                    std::optional<Cambio> cambio;
                    if (Mod.EnviarPrecio[n]) {
                        set = "Precio=" + kvtx8::NumeroDecimalSQL(suyos.Texto("Precio"));
                        cambio = Cambio{n, suyos.Numero("Precio"), d->second};
                    }
                    if (Mod.EnviarFormula[n])
                        set += std::string(set.empty() ? "" : ",") +
                               "forCampo = " + destino.Literal(suyos.Texto("forCampo")) +
                               ", forOperador = " + destino.Literal(suyos.Texto("forOperador")) +
                               ", forFactor = " + kvtx8::NumeroDecimalSQL(suyos.Texto("forFactor")) +
                               ", forRedondear = " + kvtx8::NumeroDecimalSQL(suyos.Texto("forRedondear")) +
                               ", Rango = " + kvtx8::NumeroDecimalSQL(suyos.Texto("Rango"));
                    masPrecios.emplace_back("UPDATE productosmasprecios SET " + set + " WHERE Producto = " +
                                                claveSQL + " AND NumeroDePrecio = " + std::to_string(n),
                                            cambio);
                }
            }
        }
    }

    // 4. Catalogues by name; a failed translation leaves the destination's reference as it is.
    if (o.TieneCampo("Linea")) {
        int64_t linea = 0, subLinea = 0;
        if (Linea(origen, destino, o.Entero("Linea"), o.Entero("SubLinea"), linea, subLinea)) {
            pon("Linea", std::to_string(linea));
            if (o.TieneCampo("SubLinea")) pon("SubLinea", std::to_string(subLinea));
        } else if (!falla(destino.Abierta() ? origen : destino)) {
            return termina();
        }
    }
    for (auto [columna, tabla, nombre] :
         {std::tuple{"Marca", "marcas", "Marca"}, std::tuple{"UnidadMedida", "medidas", "Medida"}}) {
        if (!o.TieneCampo(columna)) continue;
        if (auto id = Catalogo(origen, destino, tabla, nombre, o.Entero(columna)))
            pon(columna, std::to_string(*id));
        else if (!falla(destino.Abierta() ? origen : destino))
            return termina();
    }

    // 5. Flags and codes.
    for (const char* c : {"ExistenciaExterna", "MedicinaControlada", "Descuento", "EnLista", "Bloqueado",
                          "Comisionable", "PedirFolio", "Puntos", "BloqueadoVsCambioPrecios", "MonedaCompra",
                          "MonedaVenta", "ClaveSAT", "CategoriaIEPS"})
        pasa(c);

    // 6. The header; without it nothing else of the product is written.
    Registros rs;
    const bool escrito = esNuevo ? bd.AgregaRegistro(rs, destino, "productos", campos, valores)
                                 : bd.ActualizaRegistro(rs, destino, "productos", campos, valores,
                                                        kvtx8::CambXXXSQL("Clave = 'XXX'", clave, destino));
    if (!escrito) return termina();
    for (const auto& [sql, cambio] : masPrecios) {
        if (!destino.Ejecutar(sql)) {
            if (!falla(destino)) return termina();
        } else if (cambio) {
            cambios.push_back(*cambio);
        }
    }
    // A new product had no price before: its first prices are no change.
    if (*hayCambios_ && !esNuevo)
        for (const auto& c : cambios)
            if (!InsertaCambio(destino, clave, c.numero, c.nuevo, c.anterior) && !falla(destino))
                return termina();
    if (muestraProgreso) {
        Ventana().TablaActual(titulo + ". ( " + (esNuevo ? "nuevo" : "X") + " )");
        Ventana().Ceder();
    }

    // 7 to 9. Dependent rows are only ever added.
    struct Dependiente {
        const char* fuente;  // source rows, by the product
        const char* columnaProducto;
        std::vector<std::string> columnas;  // copied after the product column; the first is the key
    };
    const Dependiente dependientes[] = {
        {"clavesalternas WHERE ClaveProducto = ", "ClaveProducto", {"ClaveAlterna"}},
        {"existenciaexterna WHERE Producto = ",
         "Producto",
         {"Referencia", "Caducidad", "ExistMin", "ExistMax", "ProductoReferencia", "ClaveReferencia"}},
        {"clavereferencias WHERE Producto = ", "Producto", {"Referencia"}},
    };
    for (const auto& d : dependientes) {
        Registros suyos;
        const std::string orden =
            d.columnas[0] == "ClaveAlterna" ? " ORDER BY ClaveAlterna" : " ORDER BY Referencia";
        if (!bd.AbrirTabla(suyos, origen, d.fuente + claveOrigen + orden)) {
            if (!falla(origen)) return termina();
            continue;
        }
        const std::string tabla = std::string(d.fuente).substr(0, std::string(d.fuente).find(' '));
        for (; !suyos.Eof(); suyos.MoveNext()) {
            std::vector<std::string> cols = {d.columnaProducto};
            std::vector<Valor> vals = {clave};
            for (const auto& c : d.columnas) {
                if (!suyos.TieneCampo(c)) continue;
                const Valor v = suyos.Dato(c);
                // An expiry goes only when the source has one.
                if (c == "Caducidad" && (!v || !kvtx8::LeeFecha(*v))) continue;
                cols.push_back(c);
                vals.push_back(v);
            }
            if (!AgregaSiFalta(destino, tabla, cols, vals, 2) && !falla(destino)) return termina();
        }
    }

    // 10. The annex: added or rewritten.
    {
        Registros suyo, mio;
        if (!bd.AbrirTabla(suyo, origen, "anexoproductos WHERE Producto = " + claveOrigen + " LIMIT 1",
                           "Texto, Numerico")) {
            if (!falla(origen)) return termina();
        } else if (!suyo.Eof()) {
            const std::vector<std::string> cols = {"Producto", "Texto", "Numerico"};
            const std::vector<Valor> vals = {clave, BasesDD::NoNull(suyo.Dato("Texto")),
                                             kvtx8::NumeroDecimalSQL(suyo.Texto("Numerico"))};
            if (!bd.AbrirTabla(mio, destino, "anexoproductos WHERE Producto = " + claveSQL + " LIMIT 1",
                               "Id")) {
                if (!falla(destino)) return termina();
            } else if (mio.Eof() ? !bd.AgregaRegistro(mio, destino, "anexoproductos", cols, vals)
                                 : !bd.ActualizaRegistro(mio, destino, "anexoproductos", cols, vals,
                                                         "Producto = " + claveSQL)) {
                if (!falla(destino)) return termina();
            }
        }
    }

    // 11. Presentations: added by unit when missing, then given the source's quantity and bar code.
    {
        Registros suyas;
        if (!bd.AbrirTabla(suyas, origen,
                           "presentaciones WHERE Producto = " + claveOrigen + " ORDER BY IdUnidad",
                           "IdUnidad, Cantidad, ClaveAlterna")) {
            if (!falla(origen)) return termina();
        } else {
            for (; !suyas.Eof(); suyas.MoveNext()) {
                const auto unidad = Catalogo(origen, destino, "medidas", "Medida", suyas.Entero("IdUnidad"));
                if (!unidad) {
                    if (!falla(destino.Abierta() ? origen : destino)) return termina();
                    continue;
                }
                const std::string fuente = "presentaciones WHERE Producto = " + claveSQL +
                                           " AND IdUnidad = " + std::to_string(*unidad) + " LIMIT 1";
                Registros mia;
                bool leida = bd.AbrirTabla(mia, destino, fuente, "Id");
                if (leida && mia.Eof()) {
                    Registros r;
                    if (bd.AgregaRegistro(r, destino, "presentaciones", {"Producto", "IdUnidad"},
                                          {clave, std::to_string(*unidad)}))
                        leida = bd.AbrirTabla(mia, destino, fuente, "Id");
                }
                if (!leida || mia.Eof()) {
                    if (!falla(destino)) return termina();
                    continue;
                }
                if (!destino.Ejecutar("UPDATE presentaciones SET Cantidad = " +
                                      kvtx8::NumeroDecimalSQL(suyas.Texto("Cantidad")) +
                                      ", ClaveAlterna = " + destino.Literal(suyas.Texto("ClaveAlterna")) +
                                      " WHERE Id = " + std::to_string(mia.Entero("Id"))) &&
                    !falla(destino))
                    return termina();
            }
        }
    }

    if (perdida || !unidad.Confirma()) return termina();
    // Joined to the caller's unit, which may still undo what was created here.
    if (!unidad.Propia()) traducidos_.clear();
    return true;
}

int64_t TraduceCatalogo(Conexion& origen, Conexion& destino, const std::string& tabla,
                        const std::string& campo, int64_t idOrigen) {
    Registros rs;
    if (idOrigen <= 0 ||
        !Mod.BDLocal.AbrirTabla(rs, origen,
                                kvtx8::Identificador(tabla) + " WHERE Id = " + std::to_string(idOrigen),
                                kvtx8::Identificador(campo)) ||
        rs.Eof())
        return 0;
    return clsEstandar::ObtenerIdPorNombre(rs.Texto(campo), tabla, destino, campo);
}

void TraduceLinea(Conexion& origen, Conexion& destino, int64_t lineaOrigen, int64_t subLineaOrigen,
                  int64_t& linea, int64_t& subLinea) {
    linea = TraduceCatalogo(origen, destino, "lineas", "Linea", lineaOrigen);
    subLinea = 0;
    Registros rs;
    if (linea == 0 || subLineaOrigen <= 0 ||
        !Mod.BDLocal.AbrirTabla(rs, origen, "sublineas WHERE Id = " + std::to_string(subLineaOrigen),
                                "SubLinea") ||
        rs.Eof())
        return;
    subLinea = clsEstandar::ObtenerIdSubLinea(rs.Texto("SubLinea"), linea, destino);
}

bool RegistraCambioDePrecio(Conexion& destino, const std::string& clave, int numero, double nuevo,
                            double anterior) {
    BasesDD& bd = Mod.BDLocal;
    if (!bd.HayTabla("cambiosdeprecios", destino)) return destino.Abierta();
    if (anterior == -9) {
        if (numero < 6) {
            Registros rs;
            if (!bd.AbrirTabla(rs, destino,
                               kvtx8::CambXXXSQL("productos WHERE Clave = 'XXX' LIMIT 1", clave, destino),
                               "Precio" + std::to_string(numero)))
                return false;
            anterior = rs.Eof() ? 0 : rs.Numero("Precio" + std::to_string(numero));
        } else {
            kvtx8::DePrecios precios;
            anterior = precios.ElPrecio(destino, clave, numero);
            if (precios.Fallo) return false;
        }
    }
    return InsertaCambio(destino, clave, numero, nuevo, anterior);
}

bool CopiaProducto(const Registros& origenProducto, Conexion& origen, Conexion& destino, bool esNuevo,
                   bool muestraProgreso, const std::string& titulo) {
    return CopiadorDeProductos().Copia(origenProducto, origen, destino, esNuevo, muestraProgreso, titulo);
}

}  // namespace cnc
