#include "documents/cls_de_alertas.h"

#include <cmath>
#include <vector>

#include "components/modo_estricto.h"
#include "components/movimientos.h"
#include "components/subir_entradas.h"
#include "components/transaccion.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "documents/lector_secuencial.h"
#include "documents/sql_documentos.h"

namespace cnc {

namespace {

void Anota(int bitacora, const std::string& texto) {
    EscribeBitacora(bitacora, "." + texto);
}

// A tag line, compared exactly; a Latin-1 file's lone 0xA0 bytes count as the same character.
bool EsEtiqueta(const std::string& linea, const char* etiqueta) {
    if (linea == etiqueta) return true;
    std::string latina;
    for (size_t i = 0; etiqueta[i]; ++i) {
        if (etiqueta[i] == '\xC2' && etiqueta[i + 1] == '\xA0') continue;
        latina += etiqueta[i];
    }
    return linea == latina;
}

// The first `n` characters of a UTF-8 text.
std::string Primeros(const std::string& s, size_t n) {
    size_t i = 0, caracteres = 0;
    while (i < s.size() && caracteres < n) {
        ++caracteres;
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    }
    return s.substr(0, i);
}

struct RenglonPedido {
    long long partida = 0;
    std::string producto, descrip, idExterna, nota;
    double cantidad = 0, precio = 0, costales = 0;
};

struct ReferenciaPedido {
    long long partida = 0;
    std::string producto, referencia;
    double cantidad = 0;
};

struct Pedido {
    std::string usuario, concepto;
    std::vector<RenglonPedido> renglones;
    std::vector<ReferenciaPedido> referencias;
};

double Sencillo(double n) {
    return static_cast<double>(static_cast<float>(n));
}

// The whole order file before anything is written; false when it ends inside a line or a reference, or
// when a number in it is none.
bool LeePedido(const std::string& contenido, Pedido& p) {
    LectorSecuencial l(contenido);
    bool bien = true;
    auto numero = [&](const std::string& texto) {
        bien = bien && EsNumeroDeArchivo(texto);
        return kvVal(texto);
    };
    // Kept in single precision: a number past its range is none either.
    auto sencillo = [&](const std::string& texto) {
        const double v = Sencillo(numero(texto));
        bien = bien && std::isfinite(v);
        return v;
    };
    p.usuario = l.Linea();
    l.Linea();
    p.concepto = Primeros(l.Linea(), 50);
    if (l.PasoDelFinal()) return false;
    bool referencias = false;
    while (!l.Eof()) {
        RenglonPedido r;
        const auto partida = kvtx8::ParteEntera(numero(l.Item()));
        if (!partida) return false;
        r.partida = *partida;
        r.producto = l.Linea();
        // The branch's transfer file separates fields with '|': a key holding one would be read as another
        // product and quantity there, and a line without a key is no line to it.
        bien = bien && !r.producto.empty() && r.producto.find('|') == std::string::npos;
        r.descrip = l.Linea();
        r.cantidad = sencillo(l.Item());
        r.precio = sencillo(l.Item());
        r.costales = sencillo(l.Item());
        l.Item();
        r.idExterna = l.Linea();
        r.nota = l.Linea();
        if (l.PasoDelFinal() || !bien) return false;
        p.renglones.push_back(std::move(r));
        const std::string tag = l.Linea();
        if (EsEtiqueta(tag, kEtiquetaRE)) {
            referencias = true;
            break;
        }
        if (EsEtiqueta(tag, kEtiquetaFIN)) break;
    }
    while (referencias && !l.Eof()) {
        ReferenciaPedido r;
        const auto partida = kvtx8::ParteEntera(numero(l.Item()));
        if (!partida) return false;
        r.partida = *partida;
        r.producto = l.Linea();
        r.referencia = l.Linea();
        r.cantidad = sencillo(l.Item());
        if (l.PasoDelFinal() || !bien) return false;
        p.referencias.push_back(std::move(r));
        if (EsEtiqueta(l.Linea(), kEtiquetaFIN)) break;
    }
    return true;
}

}  // namespace

bool clsDeAlertas::LeeArchivoDePedido(const std::string& contenido, size_t& renglones, size_t& referencias) {
    Pedido p;
    if (!LeePedido(contenido, p)) return false;
    renglones = p.renglones.size();
    referencias = p.referencias.size();
    return true;
}

bool clsDeAlertas::Archivar(const kvtx8::Registros& alerta, kvtx8::Conexion& cn) {
    const kvtx8::FechaHora ahora = Ahora();
    auto valorOnull = [&](const char* campo) {
        const kvtx8::Valor v = alerta.Dato(campo);
        return v ? cn.Literal(*v) : std::string("NULL");
    };
    kvtx8::Transaccion t(cn);
    return t.Activa() &&
           Inserta(cn, "historicoalertas",
                   {{"Fecha", "'" + Formato(ahora, "yyyy-mm-dd") + "'"},
                    {"Hora", "'" + Formato(ahora, "hh:nn:ss") + "'"},
                    {"IdAlerta", NumeroSQL(alerta.Texto("Id"))},
                    {"IdArchivo", NumeroSQL(alerta.Texto("IdArchivo"))},
                    {"FechaAlerta", valorOnull("Fecha")},
                    {"HoraAlerta", valorOnull("Hora")},
                    {"BaseDeDatos", cn.Literal(alerta.Texto("BaseDeDatos"))}}) &&
           cn.Ejecutar("DELETE FROM alertas WHERE Id=" + NumeroSQL(alerta.Texto("Id"))) &&
           cn.Ejecutar("DELETE FROM archivosasubir WHERE Id=" + NumeroSQL(alerta.Texto("IdArchivo"))) &&
           t.Confirma();
}

void clsDeAlertas::EnviarAlerta(int b, const kvtx8::Registros& alerta, kvtx8::Conexion& cnAlerta,
                                kvtx8::Conexion&, const std::string& matriz, kvtx8::Conexion& local) {
    Traspaso = 0;
    const std::string idArchivo = NumeroSQL(alerta.Texto("IdArchivo"));
    Anota(b, "Intentando ejecutar la alerta " + alerta.Texto("Id") + ", por el pendiente " + idArchivo);
    BasesDD& bd = Mod.BDRemota;
    kvtx8::Registros pendiente;
    if (!Mod.BDLocal.AbrirTabla(pendiente, cnAlerta, "archivosasubir WHERE Id=" + idArchivo)) return;
    if (pendiente.Eof()) {
        Anota(b, "No localizó el pendiente; la alerta se borrará");
        Archivar(alerta, cnAlerta);
        return;
    }
    Anota(b, "Localizó el pendiente");
    const std::string contenido = pendiente.Texto("Contenido");
    const long long pedido = pendiente.Entero("Folio");
    const std::string espejo = bd.cMiBase;
    const long long empresa = kvtx8::ParteEntera(kvVal(espejo.size() > 5 ? espejo.substr(5) : "")).value_or(0);

    kvtx8::Conexion cn;
    if (!AbreBaseRemota(cn, matriz)) {
        Anota(b, "No pudo conectar a la empresa matriz " + matriz);
        return;
    }
    Anota(b, "Abrió la empresa matriz " + matriz);
    kvtx8::Registros sucursal;
    if (!bd.AbrirTabla(sucursal, cn, "sucursales WHERE Empresa=" + std::to_string(empresa)) ||
        sucursal.Eof()) {
        Anota(b, "No localizó una sucursal relacionada con " + espejo);
        bd.CierraBdD(cn);
        return;
    }
    const std::string clave = sucursal.Texto("Clave");
    Anota(b,
          "Localizó la sucursal relacionada con " + espejo + kvtx8::CambXXX(", y su clave es 'XXX'", clave));

    // The order here takes the transfer's number; until it does the alert stays, and the next check finds
    // the transfer made and tries again.
    auto marcaElPedido = [&]() {
        if (local.Ejecutar("UPDATE pedidos SET Traspaso=" + std::to_string(Traspaso) +
                           " WHERE Id=" + std::to_string(pedido)))
            return true;
        Anota(b, "El pedido " + std::to_string(pedido) + " no tomó el traspaso " + std::to_string(Traspaso) +
                     ": " + TextoDeError(local) + "; la alerta queda");
        return false;
    };
    switch (GenerarTraspaso(cn, clave, pedido, contenido, b)) {
        case Generado::Nuevo:
            Anota(b, "Generó el traspaso " + std::to_string(Traspaso) + " desde el pedido ID " +
                         std::to_string(pedido));
            if (marcaElPedido()) Archivar(alerta, cnAlerta);
            break;
        case Generado::Existia:
            Anota(b, "No generó el traspaso; ya existía en MATRIZ");
            if (marcaElPedido()) Archivar(alerta, cnAlerta);
            break;
        case Generado::Ilegible:
            Anota(b, "El pedido " + std::to_string(pedido) + " no se pudo leer; la alerta se borrará");
            Archivar(alerta, cnAlerta);
            break;
        case Generado::Fallo:
            Anota(b, "No generó el traspaso: " + TextoDeError(cn));
            break;
    }
    bd.CierraBdD(cn);
}

clsDeAlertas::Generado clsDeAlertas::GenerarTraspaso(kvtx8::Conexion& cn, const std::string& destino,
                                                     long long pedido, const std::string& contenido, int) {
    Pedido p;
    if (!LeePedido(contenido, p)) return Generado::Ilegible;
    if (!kvtx8::Movimientos::PreparaFolios(cn)) return Generado::Fallo;
    // A key too long for its column or a text that is not UTF-8 is refused, not stored cut or replaced.
    kvtx8::ModoEstricto estricto(cn);
    if (!estricto.Activo()) return Generado::Fallo;
    kvtx8::Transaccion t(cn);
    if (!t.Activa()) return Generado::Fallo;
    // Locked: a second alert for the same order waits for this one and then finds its transfer.
    if (const kvtx8::Valor ya = cn.Escalar("SELECT Traspaso FROM traspasos WHERE Destino=" + cn.Literal(destino) +
                                           " AND IdPedido=" + std::to_string(pedido) + " LIMIT 1 FOR UPDATE")) {
        Traspaso = static_cast<long long>(kvVal(*ya));
        return Generado::Existia;
    }
    if (!cn.Abierta()) return Generado::Fallo;

    kvtx8::Movimientos mov;
    long long folio = 0;
    do {
        folio = mov.Foliar(cn, "Traspaso", "traspasos", "Traspaso");
        if (folio <= 0) return Generado::Fallo;
    } while (cn.Escalar("SELECT Id FROM traspasos WHERE Traspaso=" + std::to_string(folio)));
    BasesDD& bd = Mod.BDRemota;
    cn.Escalar("SELECT Contenido FROM sistema WHERE Dato = 'TR-' FOR UPDATE");
    long long numero = kvtx8::ParteEntera(kvVal(bd.LeeDato("TR-", cn, "sistema"))).value_or(0) + 1;
    while (cn.Escalar("SELECT Id FROM traspasos WHERE Serie='' AND NumTraspaso=" + std::to_string(numero) +
                      " LIMIT 1"))
        ++numero;
    if (!cn.Abierta() || !bd.GrabaDato("TR-", std::to_string(numero), cn, "sistema")) return Generado::Fallo;

    const kvtx8::FechaHora ahora = Ahora();
    const std::string hoy = Formato(ahora, "yyyy-mm-dd");
    if (!Inserta(cn, "traspasos",
                 {{"Traspaso", Num(folio)},
                  {"Oferta", "0"},
                  {"Fecha", "'" + hoy + "'"},
                  {"Usuario", cn.Literal(p.usuario)},
                  {"Hora", "'" + Formato(ahora, "hh:nn") + "'"},
                  {"Destino", cn.Literal(destino)},
                  {"Entrada", "0"},
                  {"Cancelado", "0"},
                  {"Concepto", cn.Literal(p.concepto)},
                  {"Pendiente", "1"},
                  {"IdPedido", Num(pedido)},
                  {"Serie", "''"},
                  {"NumTraspaso", Num(numero)},
                  {"VersionQM", cn.Literal(Mod.Registro.DatosT8X("ActualizacionVersion"))},
                  {"EquipoQM", cn.Literal(kvtx8::NetName())}}))
        return Generado::Fallo;

    kvtx8::ArchivoTraspaso archivo{folio, hoy, cn.Base(), p.concepto, {}};
    for (const auto& r : p.renglones) {
        kvtx8::Registros prod;
        if (!bd.AbrirTabla(prod, cn, "productos WHERE Clave = " + cn.Literal(r.producto) + " LIMIT 1",
                           "Costo, CostoProm, Precio1"))
            return Generado::Fallo;
        Columnas c = {{"Traspaso", Num(folio)},
                      {"Oferta", "0"},
                      {"Partida", Num(r.partida)},
                      {"Producto", cn.Literal(r.producto)},
                      {"Descrip", cn.Literal(r.descrip)},
                      {"Cantidad", Num(r.cantidad)},
                      {"Precio", Num(r.precio)},
                      {"Costales", Num(r.costales)},
                      {"IdExterna", cn.Literal(r.idExterna)},
                      {"NotaRenglon", cn.Literal(r.nota)},
                      {"PartidaPedido", Num(r.partida)}};
        const double costo = prod.Eof() ? 0 : prod.Numero("Costo");
        if (!prod.Eof())
            c.insert(c.end(), {{"CostoProm", Num(prod.Numero("CostoProm"))},
                               {"Costo", Num(costo)},
                               {"Precio1", Num(prod.Numero("Precio1"))}});
        if (!Inserta(cn, "traspasosdetalle", c)) return Generado::Fallo;
        archivo.renglones.push_back({r.partida, r.producto, r.cantidad, costo, r.descrip});
    }
    for (const auto& r : p.referencias)
        if (!Inserta(cn, "referenciaexterna",
                     {{"TipoMovimiento", "'TR'"},
                      {"IdMovimiento", Num(folio)},
                      {"Partida", Num(r.partida)},
                      {"Producto", cn.Literal(r.producto)},
                      {"Referencia", cn.Literal(r.referencia)},
                      {"Cantidad", Num(r.cantidad)}}))
            return Generado::Fallo;
    // The branch receives the transfer as a file, through the hub's file queue of its ESPEJO.
    if (!cn.Ejecutar(
            "INSERT INTO concentradorqmx.archivosasubir (Tipo, BaseDeDatos, clave, Folio, Contenido) "
            "VALUES ('TR', " +
            cn.Literal(bd.cMiBase) + ", '', " + Num(folio) + ", " +
            cn.Literal(kvtx8::EscribeTraspaso(archivo)) + ")") ||
        !t.Confirma())
        return Generado::Fallo;
    Traspaso = folio;
    return Generado::Nuevo;
}

void clsDeAlertas::LeerPorRecibir(const kvtx8::Registros& alerta, kvtx8::Conexion& cnAlerta,
                                  const std::function<void()>& recibir) {
    if (recibir) recibir();
    if (AbreBase(Mod.BDLocal, cnAlerta, "concentradorqmx")) Archivar(alerta, cnAlerta);
}

}  // namespace cnc
