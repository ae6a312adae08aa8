#include "documents/cls_subir_pedidos.h"

#include <cmath>
#include <limits>
#include <vector>

#include "components/modo_estricto.h"
#include "components/transaccion.h"
#include "core/archivo_de_trabajo.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "documents/lector_secuencial.h"
#include "documents/sql_documentos.h"
#include "notices/notice_store.h"

namespace cnc {

namespace {

constexpr int kLineasDeEncabezado = 18;
constexpr int kLineasDeRenglon = 9;

}  // namespace

bool clsSubirPedidos::Enviar(kvtx8::Conexion& servidorLocal, const kvtx8::Registros& solicitud,
                             const std::string& matriz) {
    Pedido = 0;
    error_.clear();
    const long long folio = solicitud.Entero("Folio");
    if (folio <= 0) return false;
    kvtx8::Conexion cn;
    if (!AbreBaseRemota(cn, matriz)) return false;
    BasesDD& bd = Mod.BDRemota;
    kvtx8::Registros cliente;
    if (!bd.AbrirTabla(cliente, cn,
                       "clientes WHERE ClienteSucursal = " + cn.Literal(bd.cMiBase) + " LIMIT 1") ||
        cliente.Eof()) {
        bd.CierraBdD(cn);
        return false;
    }
    auto sale = [&](bool r) {
        bd.CierraBdD(cn);
        return r;
    };
    kvtx8::Registros definicion;
    if (!bd.AbrirConsulta(definicion, cn, "SHOW CREATE TABLE pedidos") || definicion.Eof())
        return sale(false);
    const bool conOrigen =
        kvtx8::Minusculas(kvtx8::BasesDD::NoNull(definicion.Dato(size_t{1}))).find("origen") !=
        std::string::npos;
    const std::string clave = cliente.Texto("Clave");
    // The purchase order here takes the order's number together with its notice, on the one connection: a
    // run that dies between them would tell it twice or never. An order that already holds the number was
    // told; one that went before without taking it is told now.
    auto marcaLaOrden = [&](long long pedido) {
        const std::string ordenes = kvtx8::Identificador(Mod.BDLocal.cMiBase, "ordenes");
        const std::string donde = " WHERE Orden = " + Num(folio);
        const auto tomado =
            AbreBase(Mod.BDLocal, servidorLocal, "")
                ? servidorLocal.Escalar("SELECT COUNT(*) FROM " + ordenes + donde + " AND Pedido = " + Num(pedido))
                : std::nullopt;
        if (tomado && kvVal(*tomado) > 0) return true;
        if (tomado && kvtx8::EnTransaccion(servidorLocal, [&] {
                return RegistraAviso(servidorLocal,
                                     "Orden de compra " + std::to_string(folio) + " enviada como el pedido " +
                                         std::to_string(pedido),
                                     12) &&
                       servidorLocal.Ejecutar("UPDATE " + ordenes + " SET Pedido = " + Num(pedido) + donde);
            }))
            return true;
        error_ = "La orden de compra " + std::to_string(folio) + " no tomó su pedido: " +
                 TextoDeError(servidorLocal);
        return false;
    };
    if (const kvtx8::Valor ya = cn.Escalar("SELECT Id FROM pedidos WHERE Cliente = " + cn.Literal(clave) +
                                           " AND Orden = " + Num(folio) + " LIMIT 1"))
        return sale(marcaLaOrden(static_cast<long long>(kvVal(*ya))));
    if (!cn.Abierta()) return sale(false);

    // The whole file is checked before anything is written: a file cut short is no order.
    std::vector<std::string> lineas = LineasDe(solicitud.Texto("Contenido"));
    // Blank lines after the last whole block are no line of the order (the last note may be blank itself).
    while (lineas.size() > kLineasDeEncabezado &&
           (lineas.size() - kLineasDeEncabezado) % kLineasDeRenglon != 0 &&
           kvtx8::Recorta(lineas.back()).empty())
        lineas.pop_back();
    if (lineas.size() < kLineasDeEncabezado ||
        (lineas.size() - kLineasDeEncabezado) % kLineasDeRenglon != 0) {
        error_ = "El archivo de la orden de compra " + std::to_string(folio) + " está incompleto";
        return sale(true);
    }

    // Every number a number, before anything is written: "12,50" is not 12 nor "abc" 0.
    std::vector<size_t> numeros = {1, 2, 3, 4, 6, 7, 8};
    for (size_t i = kLineasDeEncabezado; i + kLineasDeRenglon <= lineas.size(); i += kLineasDeRenglon)
        for (size_t k : {1, 4, 5, 6, 7}) numeros.push_back(i + k);
    for (size_t n : numeros)
        if (!EsNumeroDeArchivo(lineas[n]) || std::fabs(kvVal(lineas[n])) > std::numeric_limits<float>::max()) {
            error_ = "El archivo de la orden de compra " + std::to_string(folio) +
                     " trae un número no válido en la línea " + std::to_string(n + 1) + ": '" +
                     lineas[n].substr(0, 60) + "'";
            return sale(true);
        }

    // From here the request is done unless the failure may go away by itself: an order the MATRIZ refuses
    // would be refused every cycle. A text too long for its column is refused, not stored cut short.
    kvtx8::ModoEstricto estricto(cn);
    if (!estricto.Activo()) {
        error_ = "La orden de compra " + std::to_string(folio) + " no se envió: " + TextoDeError(cn);
        return sale(false);
    }
    auto fallaSql = [&]() {
        error_ = "La orden de compra " + std::to_string(folio) + " no se envió: " + TextoDeError(cn);
        return sale(!ErrorPasajero(cn) && cn.Abierta());
    };
    kvtx8::Transaccion t(cn);
    if (!t.Activa()) return fallaSql();
    const std::string serie = cliente.Texto("SeriePedidos");
    const std::string dato = "PE-" + serie;
    // The counter row locked for the transaction: two clients never take the same number.
    cn.Escalar("SELECT Contenido FROM sistema WHERE Dato = " + cn.Literal(dato) + " FOR UPDATE");
    long long numero = kvtx8::ParteEntera(kvVal(bd.LeeDato(dato, cn, "sistema"))).value_or(0) + 1;
    while (cn.Escalar("SELECT Id FROM pedidos WHERE Factura=" + Num(numero) +
                      " AND Serie=" + cn.Literal(serie) + " LIMIT 1"))
        ++numero;
    if (!cn.Abierta() || !bd.GrabaDato(dato, std::to_string(numero), cn, "sistema")) return fallaSql();

    auto T = [&](const std::string& s) { return cn.Literal(s); };
    auto C = [&](const char* campo) { return T(cliente.Texto(campo)); };
    const kvtx8::FechaHora ahora = Ahora();
    Columnas c = {{"Orden", Num(folio)},
                  {"Factura", Num(numero)},
                  {"Serie", T(serie)},
                  {"Cliente", T(clave)},
                  {"Vence", "'" + Formato(ahora, "yyyy-mm-dd") + "'"},
                  {"Nombre", C("Nombre")},
                  {"Telefono", C("Telefono1")},
                  {"Domicilio", C("Domicilio")},
                  {"CP", C("CP")},
                  {"Colonia", C("Colonia")},
                  {"Ciudad", C("Ciudad")},
                  {"Estado", C("Estado")},
                  {"RFC", C("RFC")},
                  {"Hora", "'" + Formato(ahora, "hh:nn:ss") + "'"},
                  {"Calle", C("Calle")},
                  {"NumExterior", C("NumExterior")},
                  {"NumInterior", C("NumInterior")},
                  {"ReferenciaDomic", C("ReferenciaDomic")},
                  {"Localidad", C("Localidad")},
                  {"Pais", C("Pais")},
                  {"Afectada", "0"},
                  {"Fecha", FechaONull(lineas[0])},
                  {"Descuento", Num(kvVal(lineas[1]))},
                  {"SubTotal", Num(kvVal(lineas[2]))},
                  {"IVA", Num(kvVal(lineas[3]))},
                  {"ImpuestoAd", Num(kvVal(lineas[4]))},
                  {"Desc1", Num(kvVal(lineas[6]))},
                  {"Desc2", Num(kvVal(lineas[7]))},
                  {"Desc3", Num(kvVal(lineas[8]))}};
    for (int i = 0; i < 5; ++i) c.push_back({"NotaF" + std::to_string(i + 1), T(Num(kvVal(lineas[9 + i])))});
    c.push_back({"Nota", T(lineas[14])});
    c.push_back({"Usuario", T(lineas[15])});
    if (conOrigen) c.push_back({"Origen", "'RECOMPRA'"});
    if (!Inserta(cn, "pedidos", c)) return fallaSql();
    const long long id = static_cast<long long>(cn.IdInsertado());
    if (!cn.Ejecutar("DELETE FROM pedidosdetalle WHERE Id = " + Num(id))) return fallaSql();

    const long long lista = cliente.Entero("Precio");
    for (size_t i = kLineasDeEncabezado; i + kLineasDeRenglon <= lineas.size(); i += kLineasDeRenglon) {
        const float cantidad = static_cast<float>(kvVal(lineas[i + 4]));
        Columnas r = {{"Id", Num(id)},
                      {"Partida", Num(kvtx8::ParteEntera(kvVal(lineas[i + 1])).value_or(0))},
                      {"Producto", T(lineas[i + 2])},
                      {"Descripcion", T(lineas[i + 3])},
                      {"Cantidad", Num(cantidad)},
                      {"Pedido", Num(cantidad)},
                      {"Desc1", Num(kvVal(lineas[i + 5]))},
                      {"Desc2", Num(kvVal(lineas[i + 6]))},
                      {"Desc3", Num(kvVal(lineas[i + 7]))},
                      {"Nota", T(lineas[i + 8])}};
        kvtx8::Registros prod;
        if (!bd.AbrirTabla(prod, cn, "productos WHERE Clave = " + T(lineas[i + 2]) + " LIMIT 1"))
            return fallaSql();
        if (!prod.Eof()) {
            r.push_back({"IVA", Num(prod.Numero("IVA"))});
            r.push_back({"ImpuestoAd", Num(prod.Numero("ImpuestoAd"))});
            const std::string columna = "Precio" + std::to_string(lista);
            if (prod.TieneCampo(columna)) {
                r.push_back({"PrecioBruto", Num(prod.Numero(columna))});
                r.push_back({"PrecioNeto", Num(prod.Numero(columna))});
            }
        }
        if (!Inserta(cn, "pedidosdetalle", r)) return fallaSql();
    }
    if (!t.Confirma()) return fallaSql();
    Pedido = id;
    bd.CierraBdD(cn);
    return marcaLaOrden(id);
}

Resultado LeerDeEnvio(kvtx8::Conexion& servidorLocal, kvtx8::Conexion&, kvtx8::Conexion& local,
                      const std::string& matriz, kvtx8::Conexion& espejo, int bitacora) {
    BasesDD& bd = Mod.BDLocal;
    if (!AbreBase(bd, servidorLocal, "")) return Resultado::SinConexion;
    kvtx8::Registros rs;
    if (!bd.AbrirTabla(rs, servidorLocal,
                       "concentradorqmx.archivosasubir WHERE BaseDeDatos=" +
                           servidorLocal.Literal(bd.cMiBase) + " AND Cancelar=0 ORDER BY Id"))
        return Resultado::SinConexion;
    Resultado r = Resultado::Completo;
    for (; !rs.Eof(); rs.MoveNext()) {
        if (!AbreBase(bd, servidorLocal, "") || !AbreBaseLocal(local)) return Resultado::SinConexion;
        const std::string tipo = rs.Texto("Tipo");
        Ventana().Estado("ENVIANDO SOLICITUDES\r\nTipo: " + tipo + ", folio " + rs.Texto("Id"));
        Ventana().Ceder();
        bool hecho = false;
        if (tipo == "OC") {
            clsSubirPedidos pedidos;
            hecho = pedidos.Enviar(servidorLocal, rs, matriz);
            if (!pedidos.Error().empty()) EscribeBitacora(bitacora, pedidos.Error());
        } else if (tipo == "PQ") {
            // Removing a bar order that is not there is still done; an ESPEJO out of reach is not.
            const std::string folio = NumeroSQL(rs.Texto("Folio"));
            hecho = AbreBaseEspejo(espejo) && espejo.Ejecutar("DELETE FROM barcomandas WHERE Id=" + folio) &&
                    espejo.Ejecutar("DELETE FROM barcomandasvar WHERE IdComanda=" + folio);
        } else {
            continue;
        }
        if (hecho)
            servidorLocal.Ejecutar("DELETE FROM concentradorqmx.archivosasubir WHERE Id=" +
                                   NumeroSQL(rs.Texto("Id")));
        else
            r = Peor(r, Resultado::Incompleto);
    }
    return r;
}

std::vector<Etapa> EtapasDeCierre() {
    return {{Etapa::Mitad::Cierre, "Envío de movimientos que generan de otro tipo en la matriz",
             "enviar_solicitudes", [](ContextoCiclo& c) {
                 return LeerDeEnvio(c.servidorLocal, c.hub, c.local, c.matriz, c.espejo, c.bitacora);
             }}};
}

}  // namespace cnc
