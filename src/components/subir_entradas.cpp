#include "components/subir_entradas.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "components/modo_estricto.h"
#include "components/movimientos.h"
#include "components/transaccion.h"
#include "components/utilerias.h"

namespace kvtx8 {

namespace {

constexpr const char* kMarca = "TRASPASO";
constexpr const char* kFin = "FIN";

std::vector<std::string> Lineas(const std::string& texto) {
    std::vector<std::string> r;
    size_t i = 0;
    while (i < texto.size()) {
        size_t f = texto.find('\n', i);
        if (f == std::string::npos) f = texto.size();
        size_t n = f - i;
        if (n > 0 && texto[f - 1] == '\r' && f < texto.size()) --n;
        r.push_back(texto.substr(i, n));
        i = f + 1;
    }
    return r;
}

std::string EnUnaLinea(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

bool EsEntero(const std::string& s) {
    if (s.empty() || s.size() > 18) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Read as a whole number: through a double, 17 and 18 digits came back as another number.
long long Entero(const std::string& s) {
    long long v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

bool LeeArchivo(const std::string& ruta, std::string& texto) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) return false;
    texto.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

}  // namespace

std::string EscribeTraspaso(const ArchivoTraspaso& t) {
    std::string s = std::string(kMarca) + "\r\n" + std::to_string(t.folio) + "\r\n" + t.fecha + "\r\n" +
                    EnUnaLinea(t.origen) + "\r\n" + EnUnaLinea(t.concepto) + "\r\n" +
                    std::to_string(t.renglones.size()) + "\r\n";
    for (const auto& r : t.renglones)
        s += std::to_string(r.partida) + "|" + EnUnaLinea(r.producto) + "|" + NumeroParaSQL(r.cantidad) +
             "|" + NumeroParaSQL(r.costo) + "|" + EnUnaLinea(r.descrip) + "\r\n";
    return s + kFin + "\r\n";
}

int LeeTraspaso(const std::string& texto, ArchivoTraspaso& t) {
    t = ArchivoTraspaso{};
    const std::vector<std::string> l = Lineas(texto);
    if (l.empty() || l[0] != kMarca) return kTraspasoSinMarca;
    if (l.size() < 6) return kTraspasoCortado;
    if (!EsEntero(l[1]) || Entero(l[1]) <= 0 || FechaSQL(l[2]).empty() || l[2].size() != 10 || !EsEntero(l[5]))
        return kTraspasoEncabezado;
    t.folio = Entero(l[1]);
    t.fecha = l[2];
    t.origen = l[3];
    t.concepto = l[4];
    const long long n = Entero(l[5]);
    // Each announced line needs one line of the file: a huge count is a cut file, not a reservation.
    if (n > static_cast<long long>(l.size())) return kTraspasoCortado;
    for (long long i = 0; i < n; ++i) {
        const size_t k = 6 + static_cast<size_t>(i);
        if (k >= l.size() || l[k] == kFin) return kTraspasoCortado;
        std::string campos[5];
        size_t desde = 0;
        for (int c = 0; c < 4; ++c) {
            const size_t bar = l[k].find('|', desde);
            if (bar == std::string::npos) return kTraspasoRenglon;
            campos[c] = l[k].substr(desde, bar - desde);
            desde = bar + 1;
        }
        campos[4] = l[k].substr(desde);
        if (!EsEntero(campos[0]) || campos[1].empty() || !EsNumerico(campos[2]) || !EsNumerico(campos[3]))
            return kTraspasoRenglon;
        t.renglones.push_back({Entero(campos[0]), campos[1], kvVal(campos[2]),
                               kvVal(campos[3]), campos[4]});
    }
    const size_t fin = 6 + static_cast<size_t>(n);
    if (fin >= l.size() || l[fin] != kFin) return kTraspasoCortado;
    return kTraspasoValido;
}

int SubirEntradas::ValidarArchivo(const std::string& ruta) {
    std::string texto;
    if (!LeeArchivo(ruta, texto)) return kTraspasoIlegible;
    ArchivoTraspaso t;
    return LeeTraspaso(texto, t);
}

bool SubirEntradas::Falla(const std::string& texto) {
    // The unit is undone by its Transaccion, which keeps the connection's error for the caller to judge.
    error_ = texto;
    generadas_ = 0;
    final_ = 0;
    return false;
}

bool SubirEntradas::SubirInformacion(const std::string& ruta) {
    generadas_ = 0;
    final_ = 0;
    error_.clear();
    if (!cnnBdE || !cnnBdE->Abierta()) return Falla("Sin conexión a la empresa");
    Conexion& cn = *cnnBdE;
    std::string texto;
    if (!LeeArchivo(ruta, texto)) return Falla("No se pudo leer el archivo " + ruta);
    ArchivoTraspaso t;
    if (const int c = LeeTraspaso(texto, t); c != kTraspasoValido)
        return Falla("Archivo de traspaso no válido (" + std::to_string(c) + ")");

    const std::string concepto = "TRASPASO " + std::to_string(t.folio) + " DE " + t.origen;
    Movimientos mov;
    if (!Movimientos::PreparaFolios(cn)) return Falla(cn.MensajeError());
    // Strict: a concept cut to fit its column would never be recognised again, and the stock would enter
    // twice.
    ModoEstricto estricto(cn);
    if (!estricto.Activo()) return Falla(cn.MensajeError());
    Transaccion unidad(cn);
    if (!unidad.Activa()) return Falla(cn.MensajeError());
    // Locked reading: a second client receiving the same transfer waits and then finds it.
    const Valor ya = cn.Escalar("SELECT Entrada FROM entradas WHERE Traspaso = " + std::to_string(t.folio) +
                                " AND Concepto = " + cn.Literal(concepto) + " LIMIT 1 FOR UPDATE");
    if (ya) return true;
    if (!cn.Abierta()) return Falla(cn.MensajeError());
    const long long entrada = mov.Foliar(cn, "Entrada", "entradas", "Entrada");
    if (entrada <= 0) return Falla(cn.MensajeError());
    const std::string hoy = Formato(Cuando, "yyyy-mm-dd"), hora = Formato(Cuando, "hh:nn:ss");
    if (!cn.Ejecutar("INSERT INTO entradas (Entrada, Fecha, Hora, Usuario, Traspaso, Concepto) VALUES (" +
                     std::to_string(entrada) + ", '" + hoy + "', '" + hora + "', " + cn.Literal(Usuario) +
                     ", " + std::to_string(t.folio) + ", " + cn.Literal(concepto) + ")"))
        return Falla(cn.MensajeError());
    const long long idEntrada = static_cast<long long>(cn.IdInsertado());
    for (const auto& r : t.renglones) {
        if (!cn.Escalar("SELECT Id FROM productos WHERE Clave = " + cn.Literal(r.producto)))
            return Falla(cn.Abierta() ? "No existe el producto '" + r.producto + "'" : cn.MensajeError());
        if (!cn.Ejecutar("INSERT INTO entradasdetalle (Entrada, Partida, Producto, Descrip, Cantidad, Costo) "
                         "VALUES (" +
                         std::to_string(entrada) + ", " + std::to_string(r.partida) + ", " +
                         cn.Literal(r.producto) + ", " + cn.Literal(r.descrip) + ", " +
                         NumeroParaSQL(r.cantidad) + ", " + NumeroParaSQL(r.costo) + ")"))
            return Falla(cn.MensajeError());
        const long long kardex =
            mov.GrabaHistAlmacen(Usuario, r.producto, cn, r.cantidad, r.costo, Cuando,
                                 "ENTRADA " + std::to_string(entrada) + " POR " + concepto);
        if (kardex <= 0 || !mov.ComplementaHistorico(cn, kardex, "entradas", idEntrada))
            return Falla(cn.MensajeError());
    }
    if (!unidad.Confirma()) return Falla(cn.MensajeError());
    generadas_ = 1;
    final_ = entrada;
    return true;
}

}  // namespace kvtx8
