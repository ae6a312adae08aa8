#include "receive/cls_aux.h"

#include <cstdio>

#include "components/cambio_claves.h"
#include "components/modo_estricto.h"
#include "components/transaccion.h"
#include "components/utilerias.h"
#include "core/archivo_de_trabajo.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "send/ciclo.h"
#include "send/cls_estandar.h"
#include "send/copia_producto.h"

namespace cnc {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kAvisoProductoNuevo = 4;
constexpr int kAvisoProductoCambiado = 9;
constexpr int kAvisoCamposAdicionales = 9;
constexpr int kAvisoVariantesDelProducto = 19;
constexpr int kAvisoVarianteCambiada = 20;
constexpr int kAvisoDatosDeVariantes = 21;
constexpr int kAvisoAnexos = 22;

std::string Entrecomillado(const std::string& texto) {
    return "\"" + texto + "\"";
}

std::string SinComillas(std::string s) {
    std::erase(s, '"');
    return s;
}

using Unidad = kvtx8::UnidadEstricta;

// Notices wait for the change they tell of to be committed.
struct Avisos {
    std::vector<std::pair<std::string, int>> pendientes;
    void Agrega(const std::string& texto, int tipo) { pendientes.emplace_back(texto, tipo); }
    void Graba(Conexion& servidorLocal) {
        for (const auto& [texto, tipo] : pendientes) GrabarAviso(servidorLocal, texto, tipo);
        pendientes.clear();
    }
};

std::string Numerado(const char* campo, int i) {
    return campo + std::to_string(i);
}

// A number as SQL text.
std::string NumeroTexto(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", v);
    return b;
}

}  // namespace

void clsAux::TomarElError(const Conexion& cn) {
    if (!TextoError.empty()) return;
    TomarElError(cn.UltimoError(), cn.MensajeError().empty() ? "sin conexión" : cn.MensajeError());
    pasajero_ = cnc::ErrorPasajero(cn);
}

void clsAux::TomarElError(unsigned numero, const std::string& descripcion) {
    if (!TextoError.empty()) return;
    TextoError = "Nº " + std::to_string(numero) + ": " + descripcion;
}

void clsAux::CopiaFallida(const Conexion& local, const Conexion& cnMatriz, const std::string& clave) {
    if (cnc::ErrorPasajero(local))
        TomarElError(local);
    else if (cnc::ErrorPasajero(cnMatriz))
        TomarElError(cnMatriz);
    else if (local.UltimoError())
        TomarElError(local);
    TomarElError(0, "No se pudo copiar el producto " + Entrecomillado(clave) + " desde MATRIZ");
}

void clsAux::NoExisteEnMatriz() {
    TextoError = "El producto a actualizar o dar de alta ya no existe en MATRIZ";
}

bool clsAux::Abre(Registros& rs, Conexion& cn, const std::string& fuente, const std::string& campos) {
    if (Mod.BDLocal.AbrirTabla(rs, cn, fuente, campos)) return true;
    TomarElError(cn);
    return false;
}

long long clsAux::BuscaOAgrega(Conexion& cn, const std::string& tabla, const std::string& condicion,
                               const Registros* origen, const std::vector<std::string>& campos,
                               const std::vector<Valor>& valores) {
    const std::string fuente = kvtx8::Identificador(tabla) + " WHERE " + condicion + " LIMIT 1";
    for (int intento = 0; intento < 2; ++intento) {
        Registros rs;
        if (!Abre(rs, cn, fuente, "Id")) return 0;
        if (!rs.Eof()) return rs.Entero("Id");
        if (intento == 1) break;
        Registros nuevo;
        if (origen) {
            if (!Abre(nuevo, cn, kvtx8::Identificador(tabla) + " LIMIT 0")) return 0;
            nuevo.AddNew();
            if (!Mod.BDLocal.CopiaRecordset(nuevo, *origen, "Id")) TomarElError(cn);
        } else if (!Mod.BDLocal.AgregaRegistro(nuevo, cn, tabla, campos, valores)) {
            TomarElError(cn);
        }
    }
    TomarElError(0, "No se pudo agregar el registro a " + tabla);
    return 0;
}

bool clsAux::SepararLinea(const std::string& linea, std::string& campo, std::string& anterior,
                          std::string& nuevo) {
    campo.clear(), anterior.clear(), nuevo.clear();
    // Every field ends in its quote: a line cut short is not read as a shorter value.
    const size_t par = linea.find("\",");
    if (par == std::string::npos || linea.back() != '"') return false;
    campo = SinComillas(linea.substr(0, par));
    const std::string resto = par + 3 <= linea.size() ? linea.substr(par + 3) : "";
    const size_t otro = resto.find("\",");
    std::string ultimo = resto;
    if (otro != std::string::npos) {
        anterior = SinComillas(resto.substr(0, otro));
        ultimo = otro + 3 <= resto.size() ? resto.substr(otro + 3) : "";
    }
    // The closing quote.
    if (!ultimo.empty()) ultimo.pop_back();
    nuevo = ultimo;
    return true;
}

bool clsAux::ProductoNuevo(const std::string& matriz, Conexion& local, const std::string& clave,
                           Conexion& servidorLocal) {
    Conexion cnMatriz;
    if (!AbreBaseRemota(cnMatriz, matriz)) return false;
    Registros rs, origen;
    if (!Abre(rs, local, "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1")) return false;
    if (!Abre(origen, cnMatriz, "productos WHERE Clave = " + cnMatriz.Literal(clave) + " LIMIT 1 "))
        return false;
    const bool existe = !rs.Eof();
    if (origen.Eof()) return existe;
    if (!CopiaProducto(origen, cnMatriz, local, !existe, false)) {
        CopiaFallida(local, cnMatriz, clave);
        return false;
    }
    if (!existe) GrabarAviso(servidorLocal, "Nuevo producto: " + Entrecomillado(clave), kAvisoProductoNuevo);
    return true;
}

bool clsAux::ProductoCambiado(const std::string& clave, Conexion&, Conexion& local, const std::string& ruta,
                              Conexion& servidorLocal, const std::string& matriz, Conexion& espejo) {
    const std::string fuente = "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1";
    // The copy of a missing product joins this unit, so the file's changes and the product go together.
    kvtx8::Transaccion unidad(local);
    if (!unidad.Activa()) {
        TomarElError(local);
        return false;
    }
    Registros producto;
    if (!Abre(producto, local, fuente)) return false;
    if (producto.Eof()) {
        // The copy reads the product's dependent rows on the connection it is given: the MATRIZ itself,
        // not the ESPEJO with the MATRIZ as schema.
        Conexion cnMatriz;
        if (!AbreBaseRemota(cnMatriz, matriz)) return false;
        Registros origen;
        if (!Abre(origen, cnMatriz, "productos WHERE Clave = " + cnMatriz.Literal(clave) + " LIMIT 1"))
            return false;
        if (origen.Eof()) {
            NoExisteEnMatriz();
            return false;
        }
        if (!CopiaProducto(origen, cnMatriz, local, true, false)) {
            CopiaFallida(local, cnMatriz, clave);
            return false;
        }
        if (!Abre(producto, local, fuente)) return false;
    }
    if (producto.Eof()) return false;
    const long long id = producto.Entero("Id");
    const std::string condicion = kvtx8::CambXXXSQL(" WHERE Clave='XXX'", clave, local);
    std::string aviso = "Producto modificado: " + Entrecomillado(clave);

    std::string contenido;
    if (!LeeArchivoCompleto(ruta, contenido)) {
        TomarElError(0, "No se pudo leer el archivo de trabajo");
        return false;
    }
    kvtx8::ModoEstricto estricto(local);
    if (!estricto.Activo()) {
        TomarElError(local);
        return false;
    }
    // A line that cannot be applied undoes the whole file.
    auto falla = [&](const std::string& texto) {
        TomarElError(0, texto);
        return false;
    };
    int cambios = 0;
    for (const std::string& linea : LineasDe(contenido)) {
        if (linea.empty()) continue;
        ++cambios;
        std::string campo, anterior, nuevo;
        if (!SepararLinea(linea, campo, anterior, nuevo))
            return falla("Línea sin el formato \"campo\",\"anterior\",\"nuevo\": " +
                         Entrecomillado(linea.substr(0, 60)));
        std::string asignacion;
        if (campo == "Linea" || campo == "Marca" || campo == "UnidadMedida") {
            const auto [tabla, columna] = campo == "Linea"   ? std::pair{"lineas", "Linea"}
                                          : campo == "Marca" ? std::pair{"marcas", "Marca"}
                                                             : std::pair{"medidas", "Medida"};
            const int64_t llave = clsEstandar::ObtenerIdPorNombre(nuevo, tabla, local, columna);
            if (!llave && !nuevo.empty()) {
                TomarElError(local);
                return false;
            }
            asignacion = kvtx8::Identificador(campo) + "=" + std::to_string(llave);
        } else if (campo == "SubLinea") {
            const long long idLinea = producto.Entero("Linea");
            if (idLinea < 1) continue;
            const int64_t llave = clsEstandar::ObtenerIdSubLinea(nuevo, idLinea, local);
            if (!llave && !nuevo.empty()) {
                TomarElError(local);
                return false;
            }
            asignacion = "`SubLinea`=" + std::to_string(llave);
        } else if (campo == "Presentación" || campo == "ClavePresentación") {
            const bool esClave = campo == "ClavePresentación";
            if (anterior.empty())
                return falla("Presentación sin unidad: " + Entrecomillado(linea.substr(0, 60)));
            if (!esClave && !kvtx8::EsNumerico(nuevo))
                return falla("Cantidad de presentación que no es número: " +
                             Entrecomillado(nuevo.substr(0, 60)));
            const int64_t unidad = clsEstandar::ObtenerIdPorNombre(anterior, "medidas", local, "Medida");
            if (!unidad) {
                TomarElError(local);
                return false;
            }
            Registros pres;
            if (!Abre(pres, local,
                      "presentaciones WHERE Producto = " + local.Literal(clave) +
                          " AND IdUnidad = " + std::to_string(unidad)))
                return false;
            const std::string valor = esClave ? local.Literal(nuevo) : kvtx8::NumeroDecimalSQL(nuevo);
            const char* columna = esClave ? "ClaveAlterna" : "Cantidad";
            if (pres.Eof()) {
                if (!local.Ejecutar("INSERT INTO presentaciones (Producto,IdUnidad," + std::string(columna) +
                                    ") VALUES (" + local.Literal(clave) + "," + std::to_string(unidad) + "," +
                                    valor + ")")) {
                    TomarElError(local);
                    return false;
                }
                aviso += kCrLf + std::string("Nueva presentación, ") + anterior + " con " + nuevo;
            } else {
                const bool distinto =
                    esClave ? pres.Texto(columna) != nuevo : pres.Numero(columna) != kvtx8::kvVal(nuevo);
                if (distinto) {
                    if (!local.Ejecutar("UPDATE presentaciones SET " + std::string(columna) + " = " + valor +
                                        " WHERE Id = " + std::to_string(pres.Entero("Id")))) {
                        TomarElError(local);
                        return false;
                    }
                    aviso += kCrLf + std::string("Cambio en presentación, ") + anterior + " con " + nuevo;
                }
            }
            continue;
        } else {
            // Only a column the products have, and never the keys: a key changes through its own file.
            std::string columna;
            for (const auto& c : producto.Campos())
                if (kvtx8::IgualSinMayusculas(c.nombre, campo)) columna = c.nombre;
            if (columna.empty() || kvtx8::IgualSinMayusculas(columna, "Id") ||
                kvtx8::IgualSinMayusculas(columna, "Clave"))
                return falla("El campo " + Entrecomillado(campo.substr(0, 60)) +
                             " no se puede cambiar en productos");
            // Texts are stored as they stand, apostrophes too.
            asignacion = kvtx8::Identificador(columna) + "=" + local.Literal(nuevo);
        }
        if (!local.Ejecutar("UPDATE productos SET " + asignacion + condicion) ||
            !Abre(producto, local, fuente)) {
            TomarElError(local);
            return false;
        }
        aviso += kCrLf + campo + ": anterior: " + anterior + ", nuevo: " + nuevo;
    }
    if (cambios == 0) return falla("El archivo de cambios está vacío");
    CopiarRangos(espejo, matriz, clave, local, id);
    if (!TextoError.empty()) return false;
    if (!local.Ejecutar("UPDATE productos SET FechaCambios = '" + kvtx8::FechaSQL(Ahora()) +
                        "' WHERE Id = " + std::to_string(id)) ||
        !unidad.Confirma()) {
        TomarElError(local);
        return false;
    }
    GrabarAviso(servidorLocal, aviso, kAvisoProductoCambiado);
    if (AbreBaseEspejo(espejo)) ReplicarEnEspejo(clave, local, espejo);
    return true;
}

bool clsAux::CambioClaveProducto(const std::string& clave, Conexion& local, const std::string& texto) {
    kvtx8::CambioClaves cambio;
    claveNueva_.clear();
    const size_t tab = texto.find('\t');
    if (tab == std::string::npos) return false;
    // The key ends at the line's end: a file written with a final line break does not put it in the key.
    claveNueva_ = texto.substr(tab + 1);
    claveNueva_ = claveNueva_.substr(0, claveNueva_.find_first_of("\r\n"));

    Registros rs;
    if (!Abre(rs, local, "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1", "Clave"))
        return false;
    if (rs.Eof()) return false;
    if (!Abre(rs, local, "productos WHERE Clave = " + local.Literal(claveNueva_) + " LIMIT 1", "Clave"))
        return false;
    if (!rs.Eof()) return true;
    cambio.Validar = false;
    cambio.Tabla = "productos";
    if (!cambio.CambiarClaves(clave, claveNueva_, local)) {
        // Not renamed: no notice tells that it was.
        TomarElError(cambio.NumeroError(), "La clave " + Entrecomillado(clave) + " no se cambió por " +
                                               Entrecomillado(claveNueva_) + ": " + cambio.Error());
        return false;
    }
    return true;
}

void clsAux::CopiarRangos(Conexion& espejo, const std::string& matriz, const std::string& clave,
                          Conexion& local, long long id) {
    Registros enMatriz, enLocal;
    if (!AbreBaseEspejo(espejo)) {
        TomarElError(espejo);
        return;
    }
    if (!Abre(enMatriz, espejo,
              kvtx8::Identificador(matriz, "productos") + " WHERE Clave = " + espejo.Literal(clave) +
                  " LIMIT 1"))
        return;
    if (!Abre(enLocal, local, "productos WHERE Id = " + std::to_string(id) + " LIMIT 1")) return;
    if (enMatriz.Eof() || enLocal.Eof()) return;
    // The company's number of prices, as a byte: 0 is 1, above 5 is 5.
    const double precios = kvtx8::kvVal(Mod.BDLocal.LeerConfig("Precios", local));
    const int n = precios < 1 ? 1 : precios > 5 ? 5 : static_cast<int>(precios);
    std::vector<std::string> campos;
    std::vector<Valor> valores;
    for (int i = 1; i <= n; ++i) {
        campos.push_back(Numerado("Rango", i));
        valores.push_back(enMatriz.Texto(campos.back()));
    }
    if (!Mod.BDLocal.ActualizaRegistro(enLocal, local, "productos", campos, valores,
                                       "Id=" + std::to_string(id)))
        TomarElError(local);
}

void clsAux::ReplicarEnEspejo(const std::string& clave, Conexion& local, Conexion& espejo) {
    BasesDD& bd = Mod.BDRemota;
    Registros prodLocal, prodEspejo;
    if (!Abre(prodLocal, local, "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1") ||
        prodLocal.Eof())
        return;
    if (!Abre(prodEspejo, espejo, "productos WHERE Clave = " + espejo.Literal(clave) + " LIMIT 1")) return;
    if (!prodEspejo.Eof()) {
        std::vector<std::string> campos;
        std::vector<Valor> valores;
        for (const char* c :
             {"Precio", "Ganancia", "Rango", "forCampo", "forOperador", "forFactor", "forRedondear"})
            for (int i = 1; i <= 5; ++i) {
                campos.push_back(Numerado(c, i));
                valores.push_back(prodLocal.Dato(campos.back()));
            }
        campos.push_back("FechaCambios");
        valores.push_back(kvtx8::FechaSQL(Ahora()));
        for (const char* c : {"Costo", "CostoProm"}) {
            campos.push_back(c);
            valores.push_back(prodLocal.Dato(c));
        }
        if (!bd.ActualizaRegistro(prodEspejo, espejo, "productos", campos, valores,
                                  kvtx8::CambXXXSQL("Clave = 'XXX'", clave, espejo)))
            TomarElError(espejo);
    }

    Registros mas;
    if (Abre(mas, local,
             "productosmasprecios WHERE Producto=" + local.Literal(clave) + " ORDER BY NumeroDePrecio")) {
        for (; !mas.Eof(); mas.MoveNext()) {
            if (!AbreBaseEspejo(espejo)) {
                TomarElError(espejo);
                return;
            }
            const std::string numero = kvtx8::NumeroSQL(mas.Texto("NumeroDePrecio"));
            const long long id =
                BuscaOAgrega(espejo, "productosmasprecios",
                             "Producto=" + espejo.Literal(clave) + " AND NumeroDePrecio=" + numero, nullptr,
                             {"Producto", "NumeroDePrecio"}, {clave, numero});
            if (!id) continue;
            std::vector<std::string> campos = {"Precio",    "forCampo",     "forOperador",
                                               "forFactor", "forRedondear", "Rango"};
            std::vector<Valor> valores;
            for (const auto& c : campos) valores.push_back(mas.Dato(c));
            Registros rs;
            if (!bd.ActualizaRegistro(rs, espejo, "productosmasprecios", campos, valores,
                                      "Id=" + std::to_string(id)))
                TomarElError(espejo);
        }
    }

    Registros anexo;
    if (!Abre(anexo, local, "anexoproductos WHERE Producto=" + local.Literal(clave) + " LIMIT 1") ||
        anexo.Eof() || !AbreBaseEspejo(espejo))
        return;
    const long long id = BuscaOAgrega(espejo, "anexoproductos", "Producto=" + espejo.Literal(clave), nullptr,
                                      {"Producto"}, {clave});
    if (!id) return;
    std::vector<std::string> campos;
    std::vector<Valor> valores;
    for (const char* c : {"Texto", "Numerico"})
        for (int i = 1; i <= 10; ++i) {
            campos.push_back(Numerado(c, i));
            valores.push_back(anexo.Dato(campos.back()));
        }
    Registros rs;
    if (!bd.ActualizaRegistro(rs, espejo, "anexoproductos", campos, valores, "Id=" + std::to_string(id)))
        TomarElError(espejo);
}

bool clsAux::AnexosProducto(const std::string& matriz, Conexion& local, const std::string& clave,
                            Conexion& servidorLocal) {
    Conexion cnMatriz;
    if (!AbreBaseRemota(cnMatriz, matriz)) return false;
    Registros origen;
    if (!Abre(origen, cnMatriz, "anexoproductos WHERE Producto = " + cnMatriz.Literal(clave) + " LIMIT 1") ||
        origen.Eof())
        return false;

    Unidad t(local);
    if (!t.Abierta()) {
        TomarElError(local);
        return false;
    }
    const long long id =
        BuscaOAgrega(local, "anexoproductos", "Producto = " + local.Literal(clave), &origen, {}, {});
    if (!id) return false;
    std::vector<std::string> campos;
    for (const char* c : {"Texto", "Numerico"})
        for (int i = 1; i <= 10; ++i) campos.push_back(Numerado(c, i));
    for (const char* c : {"Lun", "Mar", "Mie", "Jue", "Vie", "Sab", "Dom", "HoraIni", "HoraFin",
                          "SaldableParaClientes", "RelacionadoCon"})
        campos.push_back(c);
    std::vector<Valor> valores;
    for (const auto& c : campos) valores.push_back(origen.Dato(c));
    Registros rs;
    if (!Mod.BDLocal.ActualizaRegistro(rs, local, "anexoproductos", campos, valores,
                                       "Id = " + std::to_string(id)) ||
        !t.Confirma()) {
        TomarElError(local);
        return false;
    }
    GrabarAviso(servidorLocal, "Anexos del producto: " + Entrecomillado(clave), kAvisoAnexos);
    return true;
}

bool clsAux::CamposAdicionales(const std::string& clave, Conexion&, Conexion& local, const std::string& ruta,
                               Conexion& servidorLocal, const std::string& matriz, Conexion& espejo) {
    if (!AbreBaseLocal(local)) return false;

    // The records first: a file that is not one changes nothing.
    std::string contenido;
    if (!LeeArchivoCompleto(ruta, contenido)) {
        TomarElError(0, "No se pudo leer el archivo de trabajo");
        return false;
    }
    const std::vector<std::string> lineas = LineasDe(contenido);
    if (lineas.empty() || lineas.size() % 3 != 0) {
        TomarElError(0, "El archivo de campos adicionales no está completo (" +
                            std::to_string(lineas.size()) + " líneas)");
        return false;
    }
    std::string asignaciones;
    for (size_t i = 0; i < lineas.size(); i += 3) {
        const std::string& etiqueta = lineas[i];
        const std::string slot =
            kvtx8::Recorta(etiqueta.size() > 2 ? etiqueta.substr(etiqueta.size() - 2) : etiqueta);
        const int n = kvtx8::EsNumerico(slot) ? static_cast<int>(kvtx8::kvVal(slot)) : 0;
        if (n < 1 || n > 10 || slot != std::to_string(n)) {
            TomarElError(0,
                         "Campo adicional sin número de 1 a 10: " + Entrecomillado(etiqueta.substr(0, 60)));
            return false;
        }
        if (!asignaciones.empty()) asignaciones += ",";
        asignaciones += kvtx8::Identificador(Numerado("Texto", n)) + "=" + local.Literal(lineas[i + 1]) +
                        "," + kvtx8::Identificador(Numerado("Numerico", n)) + "=" +
                        NumeroTexto(kvtx8::kvVal(lineas[i + 2]));
    }

    Unidad t(local);
    if (!t.Abierta()) {
        TomarElError(local);
        return false;
    }
    Registros anexo;
    if (!Abre(anexo, local, "anexoproductos WHERE Producto = " + local.Literal(clave) + " LIMIT 1"))
        return false;
    if (anexo.Eof()) {
        Registros nuevo;
        if (!Abre(nuevo, local, "anexoproductos LIMIT 0")) return false;
        nuevo.AddNew();
        nuevo.Poner("Producto", clave);
        Registros enMatriz;
        if (AbreBaseEspejo(espejo) &&
            Abre(enMatriz, espejo,
                 kvtx8::Identificador(matriz, "anexoproductos") +
                     " WHERE Producto = " + espejo.Literal(clave) + " LIMIT 1") &&
            !enMatriz.Eof()) {
            for (const char* c : {"Texto", "Numerico"})
                for (int i = 1; i <= 10; ++i) Mod.BDLocal.PasaCampo(Numerado(c, i), enMatriz, nuevo);
        }
        if (!nuevo.Update()) {
            TomarElError(local);
            return false;
        }
        if (!Abre(anexo, local, "anexoproductos WHERE Producto = " + local.Literal(clave) + " LIMIT 1"))
            return false;
    }
    if (anexo.Eof()) return false;

    if (!local.Ejecutar("UPDATE anexoproductos SET " + asignaciones +
                        " WHERE Id = " + std::to_string(anexo.Entero("Id"))) ||
        !local.Ejecutar("UPDATE productos SET FechaCambios = '" + kvtx8::FechaSQL(Ahora()) +
                        kvtx8::CambXXXSQL("' WHERE Clave = 'XXX'", clave, local)) ||
        !t.Confirma()) {
        TomarElError(local);
        return false;
    }
    GrabarAviso(servidorLocal, "Campos adicionales de productos: " + Entrecomillado(clave),
                kAvisoCamposAdicionales);
    return true;
}

bool clsAux::VarianteCambiada(const std::string& matriz, Conexion& local, const std::string& texto,
                              Conexion& servidorLocal) {
    Conexion cnMatriz;
    if (!AbreBaseRemota(cnMatriz, matriz)) return false;
    const size_t salto = texto.find('\n');
    if (salto == std::string::npos) return false;
    std::string variante = texto.substr(0, salto);
    if (!variante.empty() && variante.back() == '\r') variante.pop_back();

    Registros origen;
    if (!Abre(origen, cnMatriz, "variantes WHERE Variante = " + cnMatriz.Literal(variante) + " LIMIT 1") ||
        origen.Eof())
        return false;
    Unidad t(local);
    if (!t.Abierta()) {
        TomarElError(local);
        return false;
    }
    const long long id =
        BuscaOAgrega(local, "variantes", "Variante = " + local.Literal(variante), &origen, {}, {});
    if (!id) return false;
    std::vector<std::string> campos = {"Variante", "Precio", "Producto", "Cantidad"};
    std::vector<Valor> valores;
    for (const auto& c : campos) valores.push_back(origen.Dato(c));
    Registros rs;
    if (!Mod.BDLocal.ActualizaRegistro(rs, local, "variantes", campos, valores,
                                       "Id = " + std::to_string(id)) ||
        !t.Confirma()) {
        TomarElError(local);
        return false;
    }
    GrabarAviso(servidorLocal, "Variante modificada: " + Entrecomillado(variante), kAvisoVarianteCambiada);
    return true;
}

bool clsAux::VariantesDelProd(const std::string& matriz, Conexion& local, const std::string& clave,
                              Conexion& servidorLocal) {
    Conexion cnMatriz;
    if (!AbreBaseRemota(cnMatriz, matriz)) return false;
    Registros ligas;
    if (!Abre(ligas, cnMatriz,
              "productosyvariantes WHERE Producto = " + cnMatriz.Literal(clave) + " ORDER BY Id") ||
        ligas.Eof())
        return false;
    Unidad t(local);
    if (!t.Abierta()) {
        TomarElError(local);
        return false;
    }
    Avisos avisos;
    for (; !ligas.Eof(); ligas.MoveNext()) {
        Registros origen;
        if (!Abre(origen, cnMatriz,
                  "variantes WHERE Id = " + kvtx8::NumeroSQL(ligas.Texto("IdVariante")) + " LIMIT 1"))
            return false;
        if (origen.Eof()) continue;
        const long long id = BuscaOAgrega(
            local, "variantes", "Variante = " + local.Literal(origen.Texto("Variante")), &origen, {}, {});
        if (!id) return false;
        Registros liga;
        if (!Abre(liga, local,
                  "productosyvariantes WHERE Producto = " + local.Literal(clave) +
                      " AND IdVariante = " + std::to_string(id) + " LIMIT 1"))
            return false;
        if (!liga.Eof()) continue;
        if (!Mod.BDLocal.AgregaRegistro(liga, local, "productosyvariantes", {"Producto", "IdVariante"},
                                        {clave, std::to_string(id)})) {
            TomarElError(local);
            return false;
        }
        avisos.Agrega("Variantes del producto: " + Entrecomillado(clave), kAvisoVariantesDelProducto);
    }
    if (!t.Confirma()) {
        TomarElError(local);
        return false;
    }
    avisos.Graba(servidorLocal);
    return true;
}

bool clsAux::VariantesEnElProd(const std::string& matriz, Conexion& local, const std::string& clave,
                               Conexion& servidorLocal) {
    static constexpr const char* kCampos =
        "Id, VariantesMinimo, VariantesMaximo, VariantesSinCosto, AgregarVariantes";
    Conexion cnMatriz;
    if (!AbreBaseRemota(cnMatriz, matriz)) return false;
    Registros origen, destino;
    if (!Abre(origen, cnMatriz, "productos WHERE Clave = " + cnMatriz.Literal(clave) + " LIMIT 1", kCampos) ||
        !Abre(destino, local, "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1", kCampos) ||
        origen.Eof() || destino.Eof())
        return false;
    std::vector<std::string> campos = {"VariantesMinimo", "VariantesMaximo", "VariantesSinCosto",
                                       "AgregarVariantes"};
    std::vector<Valor> valores;
    for (const auto& c : campos) valores.push_back(origen.Dato(c));
    const std::string id = std::to_string(destino.Entero("Id"));
    if (!Mod.BDLocal.ActualizaRegistro(destino, local, "productos", campos, valores, "Id = " + id)) {
        TomarElError(local);
        return false;
    }
    GrabarAviso(servidorLocal, "Datos para variantes, del producto: " + Entrecomillado(clave),
                kAvisoDatosDeVariantes);
    return true;
}

}  // namespace cnc
