#include "components/bases_dd.h"

#include <charconv>

#include <errmsg.h>
#include <mysql.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "components/utilerias.h"

namespace kvtx8 {

namespace {

// The session behaves the same whatever the server's own default: zero dates and implicit defaults
// are accepted, as the servers in the field do.
constexpr const char* kModoSql = "SET SESSION sql_mode='NO_ENGINE_SUBSTITUTION'";

bool EsPerdida(unsigned e) {
    return e == CR_SERVER_GONE_ERROR || e == CR_SERVER_LOST || e == CR_CONN_HOST_ERROR;
}

int TipoDe(const MYSQL_FIELD& f) {
    const bool sinSigno = (f.flags & UNSIGNED_FLAG) != 0;
    const bool binario = f.charsetnr == 63;
    switch (f.type) {
        case MYSQL_TYPE_TINY:
            return sinSigno ? adUnsignedTinyInt : adTinyInt;
        case MYSQL_TYPE_SHORT:
            return sinSigno ? adUnsignedSmallInt : adSmallInt;
        case MYSQL_TYPE_LONG:
        case MYSQL_TYPE_INT24:
            return sinSigno ? adUnsignedInt : adInteger;
        case MYSQL_TYPE_LONGLONG:
            return sinSigno ? adUnsignedBigInt : adBigInt;
        case MYSQL_TYPE_YEAR:
            return adSmallInt;
        case MYSQL_TYPE_FLOAT:
            return adSingle;
        case MYSQL_TYPE_DOUBLE:
            return adDouble;
        case MYSQL_TYPE_DECIMAL:
        case MYSQL_TYPE_NEWDECIMAL:
            return adNumeric;
        case MYSQL_TYPE_BIT:
            return adUnsignedTinyInt;
        case MYSQL_TYPE_DATE:
        case MYSQL_TYPE_NEWDATE:
            return adDBDate;
        case MYSQL_TYPE_TIME:
            return adDBTime;
        case MYSQL_TYPE_DATETIME:
        case MYSQL_TYPE_TIMESTAMP:
            return adDBTimeStamp;
        case MYSQL_TYPE_STRING:
            return binario ? adBinary : adChar;
        case MYSQL_TYPE_VARCHAR:
        case MYSQL_TYPE_VAR_STRING:
            return binario ? adVarBinary : adVarChar;
        case MYSQL_TYPE_TINY_BLOB:
        case MYSQL_TYPE_MEDIUM_BLOB:
        case MYSQL_TYPE_LONG_BLOB:
        case MYSQL_TYPE_BLOB:
            return binario ? adLongVarBinary : adLongVarChar;
        case MYSQL_TYPE_ENUM:
        case MYSQL_TYPE_SET:
            return adChar;
        default:
            return adVarChar;
    }
}

}  // namespace

std::string Identificador(std::string_view nombre) {
    std::string r = "`";
    for (char c : nombre) {
        if (c == '`') r += '`';
        r += c;
    }
    return r + "`";
}

std::string Identificador(std::string_view esquema, std::string_view nombre) {
    return esquema.empty() ? Identificador(nombre) : Identificador(esquema) + "." + Identificador(nombre);
}

NombreTabla NombreTabla::DeLiteral(std::string_view literal) {
    if (literal.size() > kEsquemaConcentrador.size() + 1 && literal.starts_with(kEsquemaConcentrador) &&
        literal[kEsquemaConcentrador.size()] == '.')
        return NombreTabla(std::string(kEsquemaConcentrador),
                           std::string(literal.substr(kEsquemaConcentrador.size() + 1)));
    return NombreTabla(std::string(literal));
}

std::string NombreTabla::EsquemaSQL(const Conexion& cn) const {
    return esquema.empty() ? std::string("DATABASE()") : cn.Literal(esquema);
}

bool EsTipoNumerico(int t) {
    switch (t) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 14:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
        case 131:
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------- Conexion

Conexion::Conexion() = default;
Conexion::~Conexion() {
    Cerrar();
}
Conexion::Conexion(Conexion&& o) noexcept {
    *this = std::move(o);
}
Conexion& Conexion::operator=(Conexion&& o) noexcept {
    if (this != &o) {
        Cerrar();
        mysql_ = std::exchange(o.mysql_, nullptr);
        base_ = std::move(o.base_);
        servidor_ = std::move(o.servidor_);
        puerto_ = o.puerto_;
        usuario_ = std::move(o.usuario_);
        ca_ = std::move(o.ca_);
        perdida_ = o.perdida_;
        varias_ = std::exchange(o.varias_, false);
    }
    return *this;
}

void Conexion::Cerrar() {
    if (mysql_) mysql_close(mysql_);
    mysql_ = nullptr;
    perdida_ = false;
    varias_ = false;
}

bool Conexion::ErrorDeTls() const {
    return errno_ == CR_SSL_CONNECTION_ERROR;
}

void Conexion::AnotaError() {
    errno_ = mysql_ ? mysql_errno(mysql_) : CR_SERVER_GONE_ERROR;
    error_ = mysql_ ? mysql_error(mysql_) : "sin conexión";
    if (EsPerdida(errno_)) perdida_ = true;
}

bool Conexion::Ejecutar(std::string_view sql) {
    afectadas_ = 0;
    if (!Abierta()) {
        errno_ = CR_SERVER_GONE_ERROR;
        error_ = "sin conexión";
        return false;
    }
    if (mysql_real_query(mysql_, sql.data(), sql.size()) != 0) {
        AnotaError();
        return false;
    }
    // Drain any result so the connection stays usable.
    if (MYSQL_RES* r = mysql_store_result(mysql_)) mysql_free_result(r);
    afectadas_ = mysql_affected_rows(mysql_);
    idInsertado_ = mysql_insert_id(mysql_);
    errno_ = 0;
    error_.clear();
    return true;
}

bool Conexion::EjecutarVarias(std::string_view sql, size_t* hechas) {
    afectadas_ = 0;
    if (hechas) *hechas = 0;
    if (!Abierta()) {
        errno_ = CR_SERVER_GONE_ERROR;
        error_ = "sin conexión";
        return false;
    }
    // Outside a VariasSentencias only for this exchange: any other text stays one statement.
    if (!varias_) {
        if (mysql_set_server_option(mysql_, MYSQL_OPTION_MULTI_STATEMENTS_ON) != 0) {
            AnotaError();
            return false;
        }
        varias_ = true;
    }
    bool bien = mysql_real_query(mysql_, sql.data(), sql.size()) == 0;
    if (!bien) AnotaError();
    while (bien) {
        if (MYSQL_RES* r = mysql_store_result(mysql_)) mysql_free_result(r);
        afectadas_ += mysql_affected_rows(mysql_);
        if (hechas) ++*hechas;
        const int siguiente = mysql_next_result(mysql_);
        if (siguiente < 0) break;
        if (siguiente > 0) {
            AnotaError();
            bien = false;
        }
    }
    if (ambitosVarias_ == 0 && !perdida_) {
        if (mysql_set_server_option(mysql_, MYSQL_OPTION_MULTI_STATEMENTS_OFF) == 0)
            varias_ = false;
        else if (bien) {
            AnotaError();
            bien = false;
        }
    }
    if (bien) {
        errno_ = 0;
        error_.clear();
    }
    return bien;
}

bool Conexion::ApagaVarias() {
    if (!varias_ || perdida_ || !mysql_) return true;
    if (mysql_set_server_option(mysql_, MYSQL_OPTION_MULTI_STATEMENTS_OFF) != 0) {
        AnotaError();
        return false;
    }
    varias_ = false;
    return true;
}

Conexion::VariasSentencias::~VariasSentencias() {
    if (--cn_.ambitosVarias_ == 0) cn_.ApagaVarias();
}

std::string Conexion::Escapar(std::string_view texto) const {
    std::string r(texto.size() * 2 + 1, '\0');
    unsigned long n;
    if (mysql_) {
        n = mysql_real_escape_string(mysql_, r.data(), texto.data(), texto.size());
    } else {
        n = mysql_escape_string(r.data(), texto.data(), texto.size());
    }
    r.resize(n);
    return r;
}

std::string Conexion::Literal(const Valor& v) const {
    return v ? "'" + Escapar(*v) + "'" : "NULL";
}

Valor Conexion::Escalar(std::string_view sql) {
    if (!Abierta()) return std::nullopt;
    if (mysql_real_query(mysql_, sql.data(), sql.size()) != 0) {
        AnotaError();
        return std::nullopt;
    }
    MYSQL_RES* r = mysql_store_result(mysql_);
    if (!r) return std::nullopt;
    Valor v;
    if (MYSQL_ROW fila = mysql_fetch_row(r); fila && mysql_num_fields(r) > 0 && fila[0]) {
        unsigned long* lon = mysql_fetch_lengths(r);
        v = std::string(fila[0], lon[0]);
    }
    mysql_free_result(r);
    return v;
}

// ---------------------------------------------------------------- Registros

int Registros::Indice(std::string_view nombre) const {
    auto it = indice_.find(Minusculas(nombre));
    return it == indice_.end() ? -1 : it->second;
}

bool Registros::TieneCampo(std::string_view nombre) const {
    return Indice(nombre) >= 0;
}

int Registros::Tipo(std::string_view nombre) const {
    int i = Indice(nombre);
    return i < 0 ? 0 : campos_[i].tipo;
}

void Registros::IrA(size_t posicion) {
    if (nuevo_) CancelUpdate();
    actual_ = std::min(posicion, filas_.size());
    cambiado_.assign(campos_.size(), false);
}

void Registros::MoveNext() {
    if (nuevo_) CancelUpdate();
    if (actual_ < filas_.size()) ++actual_;
    cambiado_.assign(campos_.size(), false);
}

Valor Registros::Dato(size_t i) const {
    if (i >= campos_.size()) return std::nullopt;
    if (nuevo_ || (!cambiado_.empty() && cambiado_[i])) return pendiente_[i];
    if (actual_ >= filas_.size()) return std::nullopt;
    return filas_[actual_][i];
}

Valor Registros::Dato(std::string_view nombre) const {
    int i = Indice(nombre);
    return i < 0 ? std::nullopt : Dato(static_cast<size_t>(i));
}

std::string Registros::Texto(std::string_view nombre) const {
    return Dato(nombre).value_or("");
}
namespace {
// A whole number read exactly (keys go beyond the 53 bits a double keeps); anything else as Basic's Val.
long long EnteroExacto(std::string_view texto) {
    const std::string t = Recorta(texto);
    long long n = 0;
    const auto [fin, error] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (error == std::errc() && fin == t.data() + t.size() && !t.empty()) return n;
    return static_cast<long long>(kvVal(t));
}
}  // namespace

long long Registros::Entero(std::string_view nombre) const {
    return EnteroExacto(Texto(nombre));
}
double Registros::Numero(std::string_view nombre) const {
    return kvVal(Texto(nombre));
}

void Registros::AddNew() {
    nuevo_ = true;
    pendiente_.assign(campos_.size(), std::nullopt);
    cambiado_.assign(campos_.size(), false);
}

void Registros::CancelUpdate() {
    nuevo_ = false;
    cambiado_.assign(campos_.size(), false);
}

void Registros::Poner(std::string_view nombre, const Valor& v) {
    int i = Indice(nombre);
    if (i < 0) return;
    if (pendiente_.size() != campos_.size()) pendiente_.assign(campos_.size(), std::nullopt);
    if (cambiado_.size() != campos_.size()) cambiado_.assign(campos_.size(), false);
    pendiente_[i] = v;
    cambiado_[i] = true;
}

std::string Registros::Destino() const {
    for (const auto& c : campos_)
        if (!c.tabla.empty()) return Identificador(c.base, c.tabla);
    return {};
}

bool Registros::Update() {
    error_.clear();
    if (!cn_ || !abierto_) return false;
    const std::string destino = Destino();
    if (destino.empty()) {
        error_ = "el conjunto de registros no viene de una tabla";
        return false;
    }
    if (nuevo_) {
        std::string cols, vals;
        for (size_t i = 0; i < campos_.size(); ++i) {
            if (!cambiado_[i]) continue;
            if (!cols.empty()) cols += ",", vals += ",";
            cols += Identificador(campos_[i].nombre);
            vals += cn_->Literal(pendiente_[i]);
        }
        std::string sql = "INSERT INTO " + destino + " (" + cols + ") VALUES (" + vals + ")";
        if (!cn_->Ejecutar(sql)) {
            error_ = cn_->MensajeError();
            return false;
        }
        // The new row becomes the current one, with its key as the server numbered it.
        std::vector<Valor> fila = pendiente_;
        for (size_t i = 0; i < campos_.size(); ++i)
            if (campos_[i].autoIncremento && !cambiado_[i] && cn_->IdInsertado())
                fila[i] = std::to_string(cn_->IdInsertado());
        filas_.insert(filas_.begin() + static_cast<long>(std::min(actual_, filas_.size())), std::move(fila));
        nuevo_ = false;
        cambiado_.assign(campos_.size(), false);
        return true;
    }
    if (actual_ >= filas_.size()) return false;
    std::string set;
    for (size_t i = 0; i < campos_.size(); ++i) {
        if (!cambiado_[i]) continue;
        if (!set.empty()) set += ",";
        set += Identificador(campos_[i].nombre) + "=" + cn_->Literal(pendiente_[i]);
    }
    if (set.empty()) return true;
    // The row is found by its primary key when the record set holds it, else by all its old values.
    const auto& fila = filas_[actual_];
    std::string donde;
    bool porLlave =
        std::any_of(campos_.begin(), campos_.end(), [](const Campo& c) { return c.llavePrimaria; });
    for (size_t i = 0; i < campos_.size(); ++i) {
        if (porLlave && !campos_[i].llavePrimaria) continue;
        if (campos_[i].tabla.empty()) continue;
        if (!donde.empty()) donde += " AND ";
        donde += Identificador(campos_[i].nombre) + "<=>" + cn_->Literal(fila[i]);
    }
    std::string sql = "UPDATE " + destino + " SET " + set + " WHERE " + donde + " LIMIT 1";
    if (!cn_->Ejecutar(sql)) {
        error_ = cn_->MensajeError();
        return false;
    }
    for (size_t i = 0; i < campos_.size(); ++i)
        if (cambiado_[i]) filas_[actual_][i] = pendiente_[i];
    cambiado_.assign(campos_.size(), false);
    return true;
}

void Registros::Cerrar() {
    abierto_ = false;
    filas_.clear();
    campos_.clear();
    indice_.clear();
    actual_ = 0;
    nuevo_ = false;
    cn_ = nullptr;
}

// ---------------------------------------------------------------- BasesDD

bool BasesDD::AbrirBdD(Conexion& cn, const std::string& base) {
    const std::string nombre = base.empty() ? cBaseGeneral : base;
    const std::optional<unsigned> valido = ComoPuerto(cPuerto);
    if (!valido) {
        // Cut to 16 bits it would reach some other port.
        cn.Cerrar();
        cn.errno_ = CR_WRONG_HOST_INFO;
        cn.error_ = "puerto no válido: '" + cPuerto + "'";
        return false;
    }
    const unsigned puerto = *valido;
    if (cn.Abierta() && cn.servidor_ == cRuta && cn.puerto_ == puerto && cn.usuario_ == cUsuario &&
        cn.ca_ == cCA) {
        if (cn.base_ == nombre) return true;
        if (mysql_select_db(cn.mysql_, nombre.c_str()) == 0) {
            cn.base_ = nombre;
            return true;
        }
        cn.AnotaError();
        if (!cn.perdida_) return false;  // no such database: a new connection would fail the same way
    }
    if (cn.unidades_ > 0) {
        // The server undid the unit with the old connection; the unit ends as failed, not half written.
        cn.errno_ = CR_SERVER_LOST;
        cn.error_ = "conexión perdida con una unidad de cambio abierta";
        return false;
    }
    cn.Cerrar();
    MYSQL* m = mysql_init(nullptr);
    if (!m) return false;
    unsigned espera = SegundosEspera, lectura = SegundosLectura;
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &espera);
    mysql_optionsv(m, MYSQL_OPT_READ_TIMEOUT, &lectura);
    mysql_optionsv(m, MYSQL_OPT_WRITE_TIMEOUT, &lectura);
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (!cCA.empty()) {
        my_bool si = 1;
        mysql_optionsv(m, MYSQL_OPT_SSL_CA, cCA.c_str());
        mysql_optionsv(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &si);
        mysql_optionsv(m, MYSQL_OPT_SSL_ENFORCE, &si);
    }
    const std::string host = cRuta.empty() ? "127.0.0.1" : cRuta;
    if (!mysql_real_connect(m, host.c_str(), cUsuario.c_str(), cPassword.c_str(), nombre.c_str(), puerto,
                            nullptr, 0)) {
        cn.errno_ = mysql_errno(m);
        cn.error_ = mysql_error(m);
        mysql_close(m);
        return false;
    }
    // The library falls back to plain text with some servers; a required encryption is checked here.
    if (!cCA.empty() && !mysql_get_ssl_cipher(m)) {
        cn.errno_ = CR_SSL_CONNECTION_ERROR;
        cn.error_ = "la conexión no quedó cifrada";
        mysql_close(m);
        return false;
    }
    // Without its mode the session would follow the server's own: quotes, dates and defaults would differ.
    if (mysql_query(m, kModoSql) != 0) {
        cn.errno_ = mysql_errno(m);
        cn.error_ = std::string("no se pudo fijar el modo SQL de la sesión: ") + mysql_error(m);
        mysql_close(m);
        return false;
    }
    cn.mysql_ = m;
    cn.base_ = nombre;
    cn.servidor_ = cRuta;
    cn.puerto_ = puerto;
    cn.usuario_ = cUsuario;
    cn.ca_ = cCA;
    cn.perdida_ = false;
    cn.errno_ = 0;
    cn.error_.clear();
    return true;
}

void BasesDD::CierraBdD(Conexion& cn) {
    cn.Cerrar();
}

bool BasesDD::AbrirConsulta(Registros& rs, Conexion& cn, const std::string& sql) {
    rs.Cerrar();
    if (!cn.Abierta()) return false;
    if (mysql_real_query(cn.mysql_, sql.data(), sql.size()) != 0) {
        cn.AnotaError();
        rs.error_ = cn.MensajeError();
        return false;
    }
    MYSQL_RES* r = mysql_store_result(cn.mysql_);
    if (!r) {
        cn.AnotaError();
        return false;
    }
    const unsigned n = mysql_num_fields(r);
    MYSQL_FIELD* f = mysql_fetch_fields(r);
    rs.campos_.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        Campo c;
        c.nombre = f[i].name;
        c.tipo = TipoDe(f[i]);
        c.tabla = f[i].org_table ? f[i].org_table : "";
        c.base = f[i].db ? f[i].db : "";
        c.llavePrimaria = (f[i].flags & PRI_KEY_FLAG) != 0;
        c.autoIncremento = (f[i].flags & AUTO_INCREMENT_FLAG) != 0;
        rs.indice_.emplace(Minusculas(c.nombre), static_cast<int>(i));
        rs.campos_.push_back(std::move(c));
    }
    rs.filas_.reserve(mysql_num_rows(r));
    while (MYSQL_ROW fila = mysql_fetch_row(r)) {
        unsigned long* lon = mysql_fetch_lengths(r);
        std::vector<Valor> v(n);
        for (unsigned i = 0; i < n; ++i)
            if (fila[i]) v[i] = std::string(fila[i], lon[i]);
        rs.filas_.push_back(std::move(v));
    }
    mysql_free_result(r);
    rs.cn_ = &cn;
    rs.abierto_ = true;
    rs.actual_ = 0;
    rs.cambiado_.assign(n, false);
    rs.pendiente_.assign(n, std::nullopt);
    return true;
}

bool BasesDD::AbrirTabla(Registros& rs, Conexion& cn, const std::string& fuente, const std::string& campos,
                         bool) {
    return AbrirConsulta(rs, cn,
                         "SELECT " + (campos.empty() ? std::string("*") : campos) + " FROM " + fuente);
}

void BasesDD::CierraTabla(Registros& rs) {
    rs.Cerrar();
}

bool BasesDD::Executar(Conexion& cn, const std::string& sql) {
    return cn.Ejecutar(sql);
}

bool BasesDD::AgregaRegistro(Registros& rs, Conexion& cn, const NombreTabla& tabla,
                             const std::vector<std::string>& campos, const std::vector<Valor>& valores) {
    if (campos.size() != valores.size() || campos.empty()) return false;
    std::string cols, vals;
    for (size_t i = 0; i < campos.size(); ++i) {
        if (i) cols += ",", vals += ",";
        cols += Identificador(campos[i]);
        vals += cn.Literal(valores[i]);
    }
    rs.Cerrar();
    return cn.Ejecutar("INSERT INTO " + tabla.SQL() + " (" + cols + ") VALUES (" + vals + ")");
}

bool BasesDD::ActualizaRegistro(Registros& rs, Conexion& cn, const NombreTabla& tabla,
                                const std::vector<std::string>& campos, const std::vector<Valor>& valores,
                                const std::string& condicion) {
    if (campos.size() != valores.size() || campos.empty()) return false;
    std::string set;
    for (size_t i = 0; i < campos.size(); ++i) {
        if (i) set += ",";
        set += Identificador(campos[i]) + "=" + cn.Literal(valores[i]);
    }
    rs.Cerrar();
    std::string sql = "UPDATE " + tabla.SQL() + " SET " + set;
    if (!condicion.empty()) sql += " WHERE " + condicion;
    return cn.Ejecutar(sql);
}

long long BasesDD::IdMaximo(Conexion& cn, const NombreTabla& tabla, const std::string& campo) {
    Valor v = cn.Escalar("SELECT MAX(" + Identificador(campo) + ") FROM " + tabla.SQL());
    return v ? EnteroExacto(*v) : 0;
}

long long BasesDD::LastId(Conexion& cn, const NombreTabla& tabla, const std::string& campo) {
    return IdMaximo(cn, tabla, campo);
}

bool BasesDD::HayTabla(const NombreTabla& tabla, Conexion& cn) {
    Valor v = cn.Escalar("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA=" +
                         tabla.EsquemaSQL(cn) + " AND TABLE_NAME=" + cn.Literal(tabla.tabla));
    return v && kvVal(*v) > 0;
}

std::string BasesDD::LeeDato(const std::string& clave, Conexion& cn, const NombreTabla& tabla) {
    Valor v =
        cn.Escalar("SELECT Contenido FROM " + tabla.SQL() + " WHERE Dato=" + cn.Literal(clave) + " LIMIT 1");
    return v.value_or("");
}

bool BasesDD::GrabaDato(const std::string& clave, const std::string& valor, Conexion& cn,
                        const NombreTabla& tabla) {
    Valor existe = cn.Escalar("SELECT COUNT(*) FROM " + tabla.SQL() + " WHERE Dato=" + cn.Literal(clave));
    if (!existe) return false;
    if (kvVal(*existe) > 0)
        return cn.Ejecutar("UPDATE " + tabla.SQL() + " SET Contenido=" + cn.Literal(valor) +
                           " WHERE Dato=" + cn.Literal(clave));
    return cn.Ejecutar("INSERT INTO " + tabla.SQL() + " (Dato,Contenido) VALUES (" + cn.Literal(clave) + "," +
                       cn.Literal(valor) + ")");
}

bool BasesDD::IniciaDato(const std::string& clave, const std::string& valor, const std::string& tipo,
                         const std::string& descripcion, Conexion& cn, const NombreTabla& tabla) {
    Valor existe = cn.Escalar("SELECT COUNT(*) FROM " + tabla.SQL() + " WHERE Dato=" + cn.Literal(clave));
    if (!existe) return false;
    if (kvVal(*existe) > 0) return true;
    return cn.Ejecutar("INSERT INTO " + tabla.SQL() + " (Dato,Contenido,Tipo,Descripcion) VALUES (" +
                       cn.Literal(clave) + "," + cn.Literal(valor) + "," + cn.Literal(tipo) + "," +
                       cn.Literal(descripcion) + ")");
}

std::string BasesDD::LeerConfig(const std::string& clave, Conexion& cn) {
    return LeeDato(clave, cn, "configura");
}

std::string BasesDD::AutoIncremental(const NombreTabla& tabla, Conexion& cn) {
    Valor v = cn.Escalar(
        "SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA=" + tabla.EsquemaSQL(cn) +
        " AND TABLE_NAME=" + cn.Literal(tabla.tabla) + " AND EXTRA LIKE '%auto_increment%' LIMIT 1");
    return v.value_or("");
}

void BasesDD::ObtenerEstructura(const Registros& origen, const Registros& destino,
                                std::vector<std::string>& lista, bool) {
    lista.clear();
    for (const auto& c : destino.Campos())
        if (origen.TieneCampo(c.nombre)) lista.push_back(c.nombre);
}

void BasesDD::ObtenerEstructura(const Registros& rs, std::vector<std::string>& lista) {
    lista.clear();
    for (const auto& c : rs.Campos()) lista.push_back(c.nombre);
}

bool BasesDD::CopiaRecordset(Registros& destino, const Registros& origen, const std::string& excepto) {
    const std::string fuera = Minusculas(excepto);
    for (const auto& c : destino.Campos()) {
        if (!fuera.empty() && Minusculas(c.nombre) == fuera) continue;
        if (origen.TieneCampo(c.nombre)) destino.Poner(c.nombre, origen.Dato(c.nombre));
    }
    return destino.Update();
}

void BasesDD::PasaCampo(const std::string& campo, const Registros& origen, Registros& destino) {
    if (origen.TieneCampo(campo)) destino.Poner(campo, origen.Dato(campo));
}

// ---------------------------------------------------------------- ConcentradorBasesDD

bool ConcentradorBasesDD::ObtenerLlaveUnica(Conexion& cn, const NombreTabla& tabla,
                                            std::vector<std::string>& columnas) {
    columnas.clear();
    BasesDD bd;
    Registros rs;
    if (!bd.AbrirConsulta(
            rs, cn,
            "SELECT INDEX_NAME, COLUMN_NAME FROM information_schema.STATISTICS WHERE TABLE_SCHEMA=" +
                tabla.EsquemaSQL(cn) + " AND TABLE_NAME=" + cn.Literal(tabla.tabla) +
                " AND NON_UNIQUE=0 AND INDEX_NAME<>'PRIMARY' ORDER BY INDEX_NAME, SEQ_IN_INDEX"))
        return false;
    std::string primero;
    for (; !rs.Eof(); rs.MoveNext()) {
        if (primero.empty()) primero = rs.Texto("INDEX_NAME");
        if (rs.Texto("INDEX_NAME") != primero) break;
        columnas.push_back(rs.Texto("COLUMN_NAME"));
    }
    return true;
}

std::string ConcentradorBasesDD::CadenaLlaveUnica(const Registros& rs,
                                                  const std::vector<std::string>& columnas, Conexion& cn) {
    std::string r;
    for (const auto& c : columnas) {
        if (!r.empty()) r += " AND ";
        Valor v = rs.Dato(c);
        r += Identificador(c) + (v ? " = " + cn.Literal(v) : std::string(" IS NULL"));
    }
    return r;
}

}  // namespace kvtx8
