#include "documents/cls_subir_compras.h"

#include <cmath>
#include <vector>

#include "components/modo_estricto.h"
#include "components/movimientos.h"
#include "components/transaccion.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "documents/lector_secuencial.h"
#include "documents/sql_documentos.h"
#include "send/ciclo.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

constexpr const char* kUsuario = "CONCENTRAD";

struct Etiqueta {
    char tipo = 'R';  // 'R' reference, 'T' alternative key
    std::string referencia, caducidad;
    double cantidad = 0;
};

struct Renglon {
    std::string partida, producto, descrip, cantidad, costoNeto, costoBruto, nota;
    double desc[3] = {0, 0, 0};
    std::string costoProm, precio1, iva, impuestoAd;
    std::string linea, subLinea, marca, medida;
    double costo = 0, precios[4] = {0, 0, 0, 0};
    std::vector<Etiqueta> etiquetas;
};

struct Documento {
    std::string proveedor, tipo, serie;
    long long folio = 0;
    std::string vence, descuento, desc[3], notas[6], subTotal, iva, impuestoAd, saldo, numPagos, pago;
    std::vector<Renglon> renglones;
};

// Single precision, as the file's writer keeps the line discounts.
double Sencillo(double n) {
    return static_cast<double>(static_cast<float>(n));
}

bool SoloBlancos(LectorSecuencial l) {
    while (!l.Eof())
        if (!kvtx8::Recorta(l.Linea()).empty()) return false;
    return true;
}

// The whole file read before anything is written: a file cut short or with a number that is none is
// refused whole, with the reason.
bool LeeDocumento(LectorSecuencial& l, Documento& d, std::string& error) {
    bool bien = true;
    // Each number checked as it is read; the first one refused is the one reported.
    auto numero = [&](std::string texto) {
        if (bien && !EsNumeroDeArchivo(texto)) {
            bien = false;
            error = "Número no válido en el archivo de la compra: '" + texto.substr(0, 60) + "'";
        }
        return texto;
    };
    // Kept in single precision: a number past its range is none either.
    auto sencillo = [&](std::string texto) {
        const double v = Sencillo(kvVal(numero(texto)));
        if (bien && !std::isfinite(v)) {
            bien = false;
            error = "Número fuera de rango en el archivo de la compra: '" + texto.substr(0, 60) + "'";
        }
        return v;
    };
    auto cortado = [&] {
        error = "El archivo de la compra está incompleto";
        return false;
    };
    d.proveedor = l.Item();
    l.Item();
    d.tipo = l.Item();
    l.Item();
    const std::string textoFolio = numero(l.Item());
    const auto folio = kvtx8::ParteEntera(kvVal(textoFolio));
    if (!folio) {
        error = "Folio no válido en el archivo de la compra: '" + textoFolio.substr(0, 60) + "'";
        return false;
    }
    d.folio = *folio;
    d.serie = l.Item();
    d.vence = l.Linea();
    d.descuento = numero(l.Linea());
    for (auto& x : d.desc) x = numero(l.Linea());
    for (auto& x : d.notas) x = l.Linea();
    d.subTotal = numero(l.Linea());
    d.iva = numero(l.Linea());
    d.impuestoAd = numero(l.Linea());
    d.saldo = numero(l.Linea());
    d.numPagos = numero(l.Linea());
    d.pago = l.Linea();
    l.Linea();  // separator
    if (l.PasoDelFinal()) return cortado();
    while (!l.Eof() && !SoloBlancos(l)) {
        Renglon r;
        r.partida = numero(l.Linea());
        r.producto = l.Linea();
        r.descrip = l.Linea();
        r.cantidad = numero(l.Linea());
        r.costoNeto = numero(l.Linea());
        r.costoBruto = numero(l.Linea());
        r.nota = l.Linea();
        for (auto& x : r.desc) x = sencillo(l.Linea());
        r.costoProm = numero(l.Linea());
        r.precio1 = numero(l.Linea());
        r.iva = numero(l.Linea());
        r.impuestoAd = numero(l.Linea());
        r.linea = l.Linea();
        r.subLinea = l.Linea();
        r.marca = l.Linea();
        r.medida = l.Linea();
        r.costo = sencillo(l.Item());
        for (auto& x : r.precios) x = sencillo(l.Item());
        if (l.PasoDelFinal()) return cortado();
        while (!l.Eof()) {
            const std::string tag = kvtx8::Recorta(l.Linea());
            if (tag == "D") break;
            if (tag == "R") {
                Etiqueta e;
                e.tipo = 'R';
                e.referencia = l.Item();
                e.cantidad = kvVal(numero(l.Item()));
                e.caducidad = l.Item();
                r.etiquetas.push_back(e);
            } else if (tag == "T") {
                Etiqueta e;
                e.tipo = 'T';
                e.referencia = l.Linea();
                r.etiquetas.push_back(e);
            }
            if (l.PasoDelFinal()) return cortado();
        }
        d.renglones.push_back(std::move(r));
    }
    return bien;
}

std::string Pad(long long n, size_t largo) {
    std::string s = std::to_string(n);
    return s.size() >= largo ? s : std::string(largo - s.size(), '0') + s;
}

class Escritor {
  public:
    Escritor(kvtx8::Conexion& cn, const Documento& d, long long compra)
        : cn(cn),
          d(d),
          compra(compra),
          hoy(Formato(Ahora(), "yyyy-mm-dd")),
          hora(Formato(Ahora(), "hh:nn")) {}

    bool EscribeRenglon(const Renglon& r);
    bool EstadoDeCuenta(long long folioPago);

    kvtx8::Conexion& cn;
    const Documento& d;
    long long compra;
    std::string hoy, hora;
    kvtx8::Movimientos mov;

  private:
    bool Producto(const Renglon& r, double cantidad);
    bool Referencia(const Renglon& r, const Etiqueta& e);
    bool Alterna(const Renglon& r, const std::string& clave);
    std::string T(const std::string& s) { return cn.Literal(s); }
    std::string FechaHoy() { return "'" + hoy + "'"; }
};

bool Escritor::EscribeRenglon(const Renglon& r) {
    const Columnas c = {{"Compra", Num(compra)},
                        {"Partida", Num(kvVal(r.partida))},
                        {"Producto", T(r.producto)},
                        {"Descrip", T(r.descrip)},
                        {"Cantidad", Num(kvVal(r.cantidad))},
                        {"CostoNeto", Num(kvVal(r.costoNeto))},
                        {"CostoBruto", Num(kvVal(r.costoBruto))},
                        {"NotaRenglon", T(r.nota)},
                        {"Desc1", Num(r.desc[0])},
                        {"Desc2", Num(r.desc[1])},
                        {"Desc3", Num(r.desc[2])},
                        {"CostoProm", Num(kvVal(r.costoProm))},
                        {"Precio1", Num(kvVal(r.precio1))},
                        {"IVA", Num(kvVal(r.iva))},
                        {"ImpuestoAd", Num(kvVal(r.impuestoAd))}};
    if (!Inserta(cn, "comprasdetalle", c) || !Producto(r, kvVal(r.cantidad))) return false;
    for (const auto& e : r.etiquetas)
        if (!(e.tipo == 'R' ? Referencia(r, e) : Alterna(r, e.referencia))) return false;
    return true;
}

bool Escritor::Producto(const Renglon& r, double cantidad) {
    // A name the company can neither find nor add fails the purchase: its products would lose their
    // catalogue (0) for good. Checked at once, while the connection still holds the cause.
    auto falta = [](const std::string& nombre, int64_t id) { return id == 0 && !kvtx8::Recorta(nombre).empty(); };
    const int64_t linea = clsEstandar::ObtenerIdPorNombre(r.linea, "lineas", cn, "Linea");
    if (falta(r.linea, linea)) return false;
    const int64_t subLinea = clsEstandar::ObtenerIdSubLinea(r.subLinea, linea, cn);
    if (linea != 0 && falta(r.subLinea, subLinea)) return false;
    const int64_t marca = clsEstandar::ObtenerIdPorNombre(r.marca, "marcas", cn, "Marca");
    if (falta(r.marca, marca)) return false;
    const int64_t medida = clsEstandar::ObtenerIdPorNombre(r.medida, "medidas", cn, "Medida");
    if (falta(r.medida, medida)) return false;
    if (!cn.Abierta()) return false;
    const std::string donde = "Clave = " + T(r.producto);
    kvtx8::Registros rs;
    if (!Mod.BDLocal.AbrirConsulta(
            rs, cn, "SELECT Existencia, CostoProm FROM productos WHERE " + donde + " FOR UPDATE"))
        return false;
    const Columnas datos = {{"Descrip", T(r.descrip)},
                            {"Proveedor1", T(d.proveedor)},
                            {"FechaRegistro", FechaHoy()},
                            {"IVA", Num(kvVal(r.iva))},
                            {"ImpuestoAd", Num(kvVal(r.impuestoAd))},
                            {"Costo", Num(r.costo)},
                            {"Precio2", Num(r.precios[0])},
                            {"Precio3", Num(r.precios[1])},
                            {"Precio4", Num(r.precios[2])},
                            {"Precio5", Num(r.precios[3])},
                            {"Linea", Num(static_cast<long long>(linea))},
                            {"SubLinea", Num(static_cast<long long>(subLinea))},
                            {"Marca", Num(static_cast<long long>(marca))},
                            {"UnidadMedida", Num(static_cast<long long>(medida))}};
    const std::string concepto = "COMPRA " + std::to_string(compra);
    double costoProm = r.costo;
    long long kardex = 0;
    if (rs.Eof()) {
        Columnas nuevo = {{"Clave", T(r.producto)}};
        nuevo.insert(nuevo.end(), datos.begin(), datos.end());
        nuevo.push_back({"CostoProm", Num(r.costo)});
        if (!Inserta(cn, "productos", nuevo)) return false;
        kardex = mov.GrabaHistAlmacen(kUsuario, r.producto, cn, cantidad, r.costo, Ahora(), concepto);
    } else {
        double existencia = rs.Numero("Existencia");
        costoProm = rs.Numero("CostoProm");
        double valor = existencia * costoProm;
        // Stock sold below zero carries no value into the average.
        if (valor < 0) valor = 0, existencia = 0;
        const double nuevoValor = valor + r.costo * cantidad, nuevaExistencia = existencia + cantidad;
        if (nuevaExistencia > 0) costoProm = nuevoValor / nuevaExistencia;
        if (!cn.Ejecutar("Update productos set CostoProm=" + Num(costoProm) + " where " + donde))
            return false;
        kardex = mov.GrabaHistAlmacen(kUsuario, r.producto, cn, cantidad, r.costo, Ahora(), concepto);
        if (kardex <= 0 || !Actualiza(cn, "productos", datos, donde)) return false;
    }
    if (kardex <= 0) return false;

    const long long ajuste = mov.Foliar(cn, "Ajuste", "ajustes", "Ajuste");
    if (ajuste <= 0 || !Inserta(cn, "ajustes",
                                {{"Ajuste", Num(ajuste)},
                                 {"clave", T(r.producto)},
                                 {"Tipo", "'E'"},
                                 {"Cantidad", Num(std::fabs(cantidad))},
                                 {"Fecha", FechaHoy()},
                                 {"Usuario", T(kUsuario)},
                                 {"Hora", "'" + hora + "'"},
                                 {"Concepto", "'AJUSTE POR CONCENTRADOR'"},
                                 {"Costo", Num(r.costo)},
                                 {"CostoProm", Num(costoProm)},
                                 {"IdKardex", Num(kardex)}}))
        return false;
    const long long id = static_cast<long long>(cn.IdInsertado());
    if (mov.ComplementaHistorico(cn, kardex, "ajustes", id, 0))
        return cn.Ejecutar("Update ajustes set IdKardex=" + Num(kardex) + " where Id=" + Num(id));
    return cn.Abierta();
}

bool Escritor::Referencia(const Renglon& r, const Etiqueta& e) {
    const long long partida = kvtx8::ParteEntera(kvVal(r.partida)).value_or(0);
    const std::string caducidad = FechaONull(e.caducidad);
    if (!Inserta(cn, "referenciaexterna",
                 {{"TipoMovimiento", "'CO'"},
                  {"IdMovimiento", Num(compra)},
                  {"Partida", Num(partida)},
                  {"Producto", T(r.producto)},
                  {"Referencia", T(e.referencia)},
                  {"Cantidad", Num(e.cantidad)},
                  {"Id", T("CO" + Pad(compra, 9) + Pad(partida, 4))},
                  {"Caducidad", caducidad}}))
        return false;
    if (!cn.Escalar("SELECT Id FROM referencias WHERE Referencia = " + T(e.referencia))) {
        if (!cn.Abierta() ||
            !Inserta(cn, "referencias", {{"Referencia", T(e.referencia)}, {"Caducidad", caducidad}}))
            return false;
    }
    const std::string donde = "Producto = " + T(r.producto) + " AND Referencia = " + T(e.referencia);
    if (cn.Escalar("SELECT Id FROM existenciaexterna WHERE " + donde + " FOR UPDATE"))
        return cn.Ejecutar("Update existenciaexterna set Existencia=Existencia+" + Num(e.cantidad) +
                           " where " + donde);
    return cn.Abierta() && Inserta(cn, "existenciaexterna",
                                   {{"Producto", T(r.producto)},
                                    {"Referencia", T(e.referencia)},
                                    {"Caducidad", caducidad},
                                    {"Existencia", Num(e.cantidad)},
                                    {"ProductoReferencia", T(r.producto + " " + e.referencia)}});
}

bool Escritor::Alterna(const Renglon& r, const std::string& clave) {
    if (cn.Escalar("SELECT Id FROM clavesalternas WHERE ClaveProducto = " + T(r.producto) +
                   " AND ClaveAlterna = " + T(clave)))
        return true;
    return cn.Abierta() &&
           Inserta(cn, "clavesalternas", {{"ClaveProducto", T(r.producto)}, {"ClaveAlterna", T(clave)}});
}

bool Escritor::EstadoDeCuenta(long long folioPago) {
    const double total = kvVal(d.subTotal) + kvVal(d.iva);
    const long long movimiento = mov.Foliar(cn, "Movimiento", "edoctaprov", "Folio");
    auto renglon = [&](double cargo, double pago, const std::string& concepto) {
        long long id = mov.Foliar(cn, "Foliote", "edoctaprov", "Id");
        return id > 0 &&
               Inserta(cn, "edoctaprov",
                       {{"Id", Num(id)},
                        {"IdMoneda", "1"},
                        {"Folio", Num(movimiento)},
                        {"Fecha", FechaHoy()},
                        {"Hora", "'" + hora + "'"},
                        {"clave", T(d.proveedor)},
                        {"CantidadCargo", Num(cargo)},
                        {"CantidadPago", Num(pago)},
                        {"Concepto", T(concepto + std::to_string(compra))}}) &&
               mov.CalculaEdoCta(id, cn, "edoctaprov", "saldospro");
    };
    if (movimiento <= 0 || !renglon(total, 0, "CARGO POR COMPRA ")) return false;
    if (d.pago == "E")
        return renglon(0, total, "PAGO POR COMPRA ") && Inserta(cn, "anexopagosprov",
                                                                {{"FolioDelPago", Num(folioPago)},
                                                                 {"Cantidad", Num(total)},
                                                                 {"CantidadReal", Num(total)},
                                                                 {"Compra", Num(compra)}});
    if (d.pago == "C")
        return Inserta(cn, "cxp",
                       {{"clave", T(d.proveedor)},
                        {"Vencimiento", FechaONull(d.vence)},
                        {"Tipo", "'M'"},
                        {"Numero", Num(compra)},
                        {"NumPago", "1"},
                        {"Saldo", Num(kvVal(d.saldo))}});
    return true;
}

}  // namespace

std::string clsSubirCompras::NumeroDeDocumento(long long folio, const std::string& serie,
                                               const std::string& tipo) {
    std::string f = std::to_string(folio);
    if (!serie.empty()) f += "-" + serie;
    if (!tipo.empty() && (tipo[0] == 'R' || tipo[0] == 'r')) f = "R" + f;
    return f;
}

bool clsSubirCompras::LeeArchivo(std::string_view texto, size_t& renglones) {
    LectorSecuencial l(texto);
    Documento d;
    std::string error;
    if (!LeeDocumento(l, d, error)) return false;
    renglones = d.renglones.size();
    return true;
}

bool clsSubirCompras::SubirCompra(const std::string& ruta, kvtx8::Conexion& local) {
    Compra = 0;
    error_.clear();
    pasajero_ = false;
    auto falla = [&](const std::string& texto, bool pasajero) {
        error_ = texto;
        pasajero_ = pasajero;
        Compra = 0;
        return false;
    };
    auto fallaSql = [&]() { return falla(TextoDeError(local), ErrorPasajero(local) || !local.Abierta()); };

    LectorSecuencial l("");
    if (!l.Abre(ruta)) return falla("No se pudo leer el archivo de la compra", false);
    Documento d;
    if (std::string error; !LeeDocumento(l, d, error)) return falla(error, false);
    Proveedor = d.proveedor;
    TipoDocumento = d.tipo;
    Factura = NumeroDeDocumento(d.folio, d.serie, d.tipo);

    if (!kvtx8::Movimientos::PreparaFolios(local)) return fallaSql();
    // A text too long for its column is refused, not stored cut short.
    kvtx8::ModoEstricto estricto(local);
    if (!estricto.Activo()) return fallaSql();
    kvtx8::Transaccion t(local);
    if (!t.Activa()) return fallaSql();
    // A supplier's document is a purchase once; the locking read keeps a second client out meanwhile.
    if (local.Escalar("SELECT Compra FROM compras WHERE Proveedor = " + local.Literal(d.proveedor) +
                      " AND Factura = " + local.Literal(Factura) + " LIMIT 1 FOR UPDATE"))
        return falla("", false);
    if (!local.Abierta()) return fallaSql();

    Escritor e(local, d, 0);
    e.compra = e.mov.Foliar(local, "Compra", "compras", "Compra");
    if (e.compra <= 0) return fallaSql();
    const long long folioPago = e.mov.Foliar(local, "Movimiento", "edoctaprov", "Folio");
    if (folioPago <= 0) return fallaSql();

    Columnas c = {{"Compra", Num(e.compra)},           {"Proveedor", local.Literal(d.proveedor)},
                  {"Factura", local.Literal(Factura)}, {"Fecha", "'" + e.hoy + "'"},
                  {"Vence", FechaONull(d.vence)},      {"Descuento", Num(kvVal(d.descuento))}};
    for (int i = 0; i < 3; ++i) c.push_back({"Desc" + std::to_string(i + 1), Num(kvVal(d.desc[i]))});
    c.push_back({"Nota", local.Literal(d.notas[0])});
    for (int i = 1; i < 6; ++i) c.push_back({"NotaF" + std::to_string(i), local.Literal(d.notas[i])});
    c.insert(c.end(), {{"SubTotal", Num(kvVal(d.subTotal))},
                       {"IVA", Num(kvVal(d.iva))},
                       {"ImpuestoAd", Num(kvVal(d.impuestoAd))},
                       {"Saldo", Num(kvVal(d.saldo))},
                       {"NumPagos", Num(kvtx8::ParteEntera(kvVal(d.numPagos)).value_or(0))},
                       {"Pago", local.Literal(d.pago)}});
    if (!Inserta(local, "compras", c) ||
        !local.Ejecutar("DELETE FROM comprasdetalle WHERE Compra=" + Num(e.compra)))
        return fallaSql();
    for (const auto& r : d.renglones)
        if (!e.EscribeRenglon(r)) return fallaSql();
    if (!e.EstadoDeCuenta(folioPago) || !t.Confirma()) return fallaSql();
    Compra = e.compra;
    return true;
}

}  // namespace cnc
