// Replay of the local queue of deletions, cancellations and product changes against ESPEJO.
#include "core/shared_routines.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

// A deletion whose detail rows hang from a value of the header: looked up first, detail only when found.
struct ConDetalle {
    int accion;
    const char* busca;    // source, the identifier appended
    const char* campo;    // field of the header read
    const char* detalle;  // the value appended
    const char* cabecera;
};

const ConDetalle kConDetalle[] = {
    {1, "ordenes WHERE Id=", "Orden",
     "DELETE FROM ordenesdetalle WHERE Orden=", "DELETE FROM ordenes WHERE Id="},
    {4, "compras WHERE Id=", "Compra",
     "DELETE FROM comprasdetalle WHERE Compra=", "DELETE FROM compras WHERE Id="},
    {6, "comprasnd WHERE Id=", "Compra",
     "DELETE FROM comprasnddetalle WHERE Compra=", "DELETE FROM comprasnd WHERE Id="},
    {17, "edoctacli WHERE Id=", "Folio",
     "DELETE FROM cxc WHERE Tipo='C' and Numero=", "DELETE FROM edoctacli WHERE Id="},
    {18, "edoctaprov WHERE Id=", "Folio",
     "DELETE FROM cxp WHERE Tipo='C' AND Numero=", "DELETE FROM edoctaprov WHERE Id="},
    {29, "devolucionctes WHERE Id=", "DevolucionCtes",
     "DELETE FROM devolucionctesdet WHERE DevolucionCtes=", "DELETE FROM devolucionctes WHERE Id="},
    {30, "devolucionprov WHERE Id=", "DevolucionProv",
     "DELETE FROM devolucionprovdet WHERE DevolucionProv=", "DELETE FROM devolucionprov WHERE Id="},
    {31, "traspasos WHERE Id=", "Traspaso",
     "DELETE FROM traspasosdetalle WHERE Traspaso=", "DELETE FROM traspasos WHERE Id="},
    {32, "entradas WHERE Id=", "Entrada",
     "DELETE FROM entradasdetalle WHERE Entrada=", "DELETE FROM entradas WHERE Id="},
};

// Actions made of plain statements, the identifier appended to each.
struct Sentencias {
    int accion;
    std::vector<const char*> sql;
};

const std::vector<Sentencias>& Simples() {
    static const std::vector<Sentencias> s = {
        {2, {"UPDATE recepciones SET Cancelada=1 WHERE Id="}},
        {3, {"UPDATE compras SET Cancelada=1 WHERE Id="}},
        {5, {"UPDATE comprasnd SET Cancelada=1 WHERE Id="}},
        {7, {"DELETE FROM cotizaciones WHERE Id=", "DELETE FROM cotizacionesdetalle WHERE Id="}},
        {8, {"UPDATE pedidos SET Cancelada=1 WHERE Id="}},
        {9, {"DELETE FROM pedidos WHERE Id=", "DELETE FROM pedidosdetalle WHERE Id="}},
        {10, {"UPDATE remisiones SET Cancelada=1 WHERE Id="}},
        {11, {"DELETE FROM remisiones WHERE Id=", "DELETE FROM remisionesdetalle WHERE Id="}},
        {13, {"UPDATE facturas SET Cancelada=1 WHERE Id="}},
        {14, {"DELETE FROM facturas WHERE Id=", "DELETE FROM facturasdetalle WHERE Id="}},
        {15, {"UPDATE apartados SET Cancelada=1 WHERE Id="}},
        {16, {"DELETE FROM apartados WHERE Id=", "DELETE FROM apartadosdetalle WHERE Id="}},
        {19, {"UPDATE recibos SET Cancelado=1 WHERE IdPago=", "DELETE FROM edoctacli WHERE Id="}},
        {20, {"DELETE FROM edoctaprov WHERE Id="}},
        {21, {"UPDATE devolucionctes SET Cancelada=1 WHERE Id="}},
        {22, {"UPDATE devolucionprov SET Cancelada=1 WHERE Id="}},
        {23, {"UPDATE traspasos SET Cancelado=1 WHERE Id="}},
        {24, {"UPDATE entradas SET Cancelado=1 WHERE Id="}},
        {25, {"UPDATE perdidas SET Cancelado=1 WHERE Id="}},
        {26, {"DELETE FROM gastos WHERE Folio="}},
        {27, {"DELETE FROM gastos WHERE Folio="}},
        {28,
         {"DELETE FROM recepciones WHERE Id=", "DELETE FROM recepcionesanexo WHERE IdRecepcion=",
          "DELETE FROM recepcionesdetalle WHERE IdRecepcion="}},
    };
    return s;
}

// The value as an SQL number; false when it is none. An empty or garbled value read as 0 would reach every
// row whose column holds the default 0 (gastos.Folio, a detail's header number).
bool NumeroDe(const std::string& valor, std::string& numero) {
    numero = kvtx8::NumeroSQL(valor);
    return numero == kvtx8::Recorta(valor);
}

const char* const kCamposProducto[] = {"Descrip", "Linea",   "Sublinea", "UnidadMedida", "Marca",
                                       "Precio1", "Precio2", "Precio3",  "Precio4",      "Precio5"};

}  // namespace

bool clsEstandar::EjecutaCambio(const std::string& sql, Resultado& r) {
    if (espejo_.Ejecutar(sql)) return true;
    return FallaCambio(sql, r);
}

bool clsEstandar::FallaCambio(const std::string& sql, Resultado& r) {
    // A lock wait, a deadlock or a lost connection may go next time: the row stays queued. Anything else
    // (a table the ESPEJO lacks, say) never will: it is written down and the replay goes on.
    if (ErrorPasajero(espejo_)) {
        r = Peor(r, espejo_.Abierta() ? Resultado::Incompleto : Resultado::SinConexion);
        return false;
    }
    ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- No se aplicó en " + espejo_.Base() +
                                     ": " + sql + ": " + espejo_.MensajeError());
    return false;
}

Resultado clsEstandar::AplicaAccion(int accion, const std::string& identificador) {
    Resultado r = Resultado::Completo;
    std::string id;
    const bool conNumero = NumeroDe(identificador, id);
    for (const auto& s : Simples()) {
        if (s.accion != accion) continue;
        if (!conNumero) return r;
        for (const char* sql : s.sql) EjecutaCambio(std::string(sql) + id, r);
        return r;
    }
    for (const auto& d : kConDetalle) {
        if (d.accion != accion) continue;
        if (!conNumero) return r;
        Registros rs;
        std::string valor;
        // Without the header its detail cannot be found: the whole action waits, or is written down.
        if (!Mod.BDRemota.AbrirTabla(rs, espejo_, d.busca + id, d.campo)) {
            FallaCambio(std::string("SELECT ") + d.campo + " FROM " + d.busca + id, r);
            return r;
        }
        if (!rs.Eof() && NumeroDe(rs.Texto(d.campo), valor)) EjecutaCambio(d.detalle + valor, r);
        // The header goes only with its detail, or an orphan detail would never be found again.
        if (r == Resultado::Completo) EjecutaCambio(d.cabecera + id, r);
        return r;
    }
    if (accion == 34) {
        if (!conNumero) return r;
        Registros rs;
        if (!Mod.BDLocal.AbrirTabla(rs, *ConexionLocal, "tickets WHERE Id=" + id, "Facturada"))
            return ErrorPasajero(*ConexionLocal) ? Resultado::SinConexion : Resultado::Incompleto;
        if (!rs.Eof())
            EjecutaCambio(
                "UPDATE tickets SET Facturada=" + kvtx8::NumeroSQL(rs.Texto("Facturada")) + " WHERE Id=" + id,
                r);
    } else if (accion == 36) {
        Registros local, suyo;
        const std::string plantilla = "productos WHERE Clave = 'XXX' LIMIT 1";
        if (!Mod.BDLocal.AbrirTabla(local, *ConexionLocal,
                                    kvtx8::CambXXXSQL(plantilla, identificador, *ConexionLocal)))
            return ErrorPasajero(*ConexionLocal) ? Resultado::SinConexion : Resultado::Incompleto;
        if (local.Eof()) return r;
        std::vector<std::string> campos;
        std::vector<Valor> valores;
        for (const char* c : kCamposProducto) {
            if (!local.TieneCampo(c)) continue;
            campos.push_back(c);
            valores.push_back(local.Dato(c));
        }
        if (!Mod.BDRemota.AbrirTabla(suyo, espejo_, kvtx8::CambXXXSQL(plantilla, identificador, espejo_))) {
            FallaCambio("SELECT * FROM " + kvtx8::CambXXX(plantilla, identificador), r);
            return r;
        }
        if (suyo.Eof()) return r;
        if (!Mod.BDRemota.ActualizaRegistro(suyo, espejo_, "productos", campos, valores,
                                            kvtx8::CambXXXSQL("Clave = 'XXX'", identificador, espejo_)))
            FallaCambio("UPDATE productos ... WHERE " + kvtx8::CambXXX("Clave = 'XXX'", identificador), r);
    }
    // 12, 33, 35 and unknown actions: nothing to replay.
    return r;
}

Resultado clsEstandar::ExportarCambios() {
    resultado_ = Resultado::Completo;
    if (!AbreLocal()) {
        AvisaDesconexion(HandleBitacora, true);
        resultado_ = Resultado::SinConexion;
        return Final();
    }
    Registros cola;
    // The queue's own failures name the queue, whatever table the exporter held before.
    auto fallaCola = [&](const std::string& id) {
        ImprimeLinea(HandleBitacora, AhoraTexto("yyyy-mm-dd hh:nn:ss") +
                                         " .- No se aplicó borrarycancelar, Id " + id + ": " +
                                         ConexionLocal->MensajeError());
        resultado_ = Peor(resultado_, Resultado::Incompleto);
    };
    if (!Mod.BDLocal.AbrirTabla(cola, *ConexionLocal, "concentradorqmx.borrarycancelar ORDER BY Id")) {
        fallaCola("");
        return Final();
    }
    const size_t total = cola.RecordCount();
    size_t n = 1;
    while (!cola.Eof() && !ContextoCiclo::Detenido()) {
        Ventana().TablaActual("'borrarycancelar'\nRegistro " + std::to_string(n) + " de " +
                              std::to_string(total));
        Ventana().Ceder();
        // What is left stays queued for the next cycle.
        if (!AbreAmbas()) break;
        const Resultado r =
            AplicaAccion(static_cast<int>(cola.Entero("Accion")), cola.Texto("Identificador"));
        if (r != Resultado::Completo) {
            resultado_ = Peor(resultado_, r);
            break;
        }
        if (!ConexionLocal->Ejecutar("DELETE FROM concentradorqmx.borrarycancelar WHERE Id = " +
                                     kvtx8::NumeroSQL(cola.Texto("Id")))) {
            fallaCola(cola.Texto("Id"));
            break;
        }
        cola.MoveNext();
        ++n;
    }
    Mod.BDLocal.CierraTabla(cola);
    return Final();
}

}  // namespace cnc
