// Database access component: connections and forward-only record sets over MariaDB Connector/C.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct st_mysql MYSQL;

namespace kvtx8 {

// A column value as text; std::nullopt is SQL NULL.
using Valor = std::optional<std::string>;

// Field type codes of the record-set layer the exports format values by.
enum TipoCampo : int {
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

bool EsTipoNumerico(int tipo);

// A table, column or database name for SQL: between back-quotes, its back-quotes doubled. A dot is part of
// the name; a schema is passed apart: Identificador("a", "b") gives `a`.`b` (just `b` when "a" is empty).
std::string Identificador(std::string_view nombre);
std::string Identificador(std::string_view esquema, std::string_view nombre);

// The hub schema, on both servers.
inline constexpr std::string_view kEsquemaConcentrador = "concentradorqmx";

class Conexion;

// A table and the schema it lives in (empty: the connection's database). A name held in a string is one
// table name, dots and all. Only a literal written in the code may name the hub schema in front
// ("concentradorqmx.avisos"), and only that prefix is read apart.
struct NombreTabla {
    std::string esquema;
    std::string tabla;

    NombreTabla(std::string nombre) : tabla(std::move(nombre)) {}
    NombreTabla(std::string esq, std::string nombre) : esquema(std::move(esq)), tabla(std::move(nombre)) {}
    template <size_t N>
    NombreTabla(const char (&literal)[N]) : NombreTabla(DeLiteral(std::string_view(literal, N - 1))) {}

    // `esquema`.`tabla`, or `tabla`.
    std::string SQL() const { return Identificador(esquema, tabla); }
    // The schema as an information_schema value: its literal, or DATABASE().
    std::string EsquemaSQL(const Conexion& cn) const;

  private:
    static NombreTabla DeLiteral(std::string_view literal);
};

struct Campo {
    std::string nombre;
    int tipo = adVarChar;
    std::string tabla;  // table the column comes from (empty for expressions)
    std::string base;   // its database
    bool llavePrimaria = false;
    bool autoIncremento = false;
};

// One connection. Move-only; the record sets opened on it keep a pointer, so it must outlive them.
class Conexion {
  public:
    Conexion();
    ~Conexion();
    Conexion(Conexion&&) noexcept;
    Conexion& operator=(Conexion&&) noexcept;
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    // Open and not known to be lost.
    bool Abierta() const { return mysql_ != nullptr && !perdida_; }
    const std::string& Base() const { return base_; }

    // Runs one statement; false on error (the error stays readable). Notes a lost connection.
    bool Ejecutar(std::string_view sql);
    // Runs several statements, each ending in ';', in one exchange with the server, in order; stops at
    // the first that fails (false, its error readable; `hechas` tells how many went before it). Only for
    // statements built by the program.
    bool EjecutarVarias(std::string_view sql, size_t* hechas = nullptr);
    // While a VariasSentencias lives on this connection the server keeps several statements per text
    // allowed between one EjecutarVarias and the next, which saves switching them on and off each time.
    class VariasSentencias;
    // Escaped by this connection's rules, without quotes.
    std::string Escapar(std::string_view texto) const;
    // A quoted SQL literal; NULL for std::nullopt.
    std::string Literal(const Valor& v) const;
    // The first column of the first row of a query; std::nullopt when no row, NULL or error.
    Valor Escalar(std::string_view sql);

    unsigned UltimoError() const { return errno_; }
    const std::string& MensajeError() const { return error_; }
    // The last error was the TLS handshake or the check of the server's certificate.
    bool ErrorDeTls() const;
    uint64_t FilasAfectadas() const { return afectadas_; }
    uint64_t IdInsertado() const { return idInsertado_; }
    void Cerrar();

    MYSQL* mysql() { return mysql_; }

  private:
    friend class BasesDD;
    friend class Registros;
    friend class Transaccion;
    void AnotaError();
    // Back to one statement per text; false when the server could not be told.
    bool ApagaVarias();
    MYSQL* mysql_ = nullptr;
    std::string base_;
    std::string servidor_;
    unsigned puerto_ = 0;
    std::string usuario_;
    std::string ca_;
    bool perdida_ = false;
    bool varias_ = false;  // the server allows several statements per text
    int ambitosVarias_ = 0;
    // Units open on this connection: while there is one it is not opened again, or the unit's later
    // statements would go on a new connection outside it and its COMMIT would report them all written.
    int unidades_ = 0;
    unsigned errno_ = 0;
    std::string error_;
    uint64_t afectadas_ = 0;
    uint64_t idInsertado_ = 0;
};

class Conexion::VariasSentencias {
  public:
    explicit VariasSentencias(Conexion& cn) : cn_(cn) { ++cn_.ambitosVarias_; }
    ~VariasSentencias();
    VariasSentencias(const VariasSentencias&) = delete;
    VariasSentencias& operator=(const VariasSentencias&) = delete;

  private:
    Conexion& cn_;
};

// Forward-only record set held in memory. Rows can be added (AddNew + Poner + Update) or the current
// row changed (Poner + Update); the change is written at Update.
class Registros {
  public:
    bool Abierto() const { return abierto_; }
    bool Eof() const { return !abierto_ || actual_ >= filas_.size(); }
    void MoveNext();
    // Position of the current row among those read, and a move back or forth among them.
    size_t Posicion() const { return actual_; }
    void IrA(size_t posicion);
    size_t RecordCount() const { return filas_.size(); }

    const std::vector<Campo>& Campos() const { return campos_; }
    bool TieneCampo(std::string_view nombre) const;
    int Tipo(std::string_view nombre) const;  // 0 when the field is unknown

    // Field values of the current row (or of the row being added).
    Valor Dato(std::string_view nombre) const;
    std::string Texto(std::string_view nombre) const;  // NULL and unknown fields give ""
    long long Entero(std::string_view nombre) const;   // leading number, else 0
    double Numero(std::string_view nombre) const;
    Valor Dato(size_t indice) const;

    void AddNew();
    bool Nuevo() const { return nuevo_; }
    void Poner(std::string_view nombre, const Valor& v);
    bool Update();
    void CancelUpdate();
    void Cerrar();

    // Where the last write failed, its message.
    const std::string& Error() const { return error_; }

  private:
    friend class BasesDD;
    int Indice(std::string_view nombre) const;
    std::string Destino() const;
    Conexion* cn_ = nullptr;
    bool abierto_ = false;
    std::vector<Campo> campos_;
    std::map<std::string, int, std::less<>> indice_;  // lower-cased name -> column
    std::vector<std::vector<Valor>> filas_;
    size_t actual_ = 0;
    bool nuevo_ = false;
    std::vector<Valor> pendiente_;
    std::vector<bool> cambiado_;
    std::string error_;
};

class BasesDD {
  public:
    // Connection data.
    std::string cRuta = "127.0.0.1";
    std::string cPuerto = "3306";
    std::string cUsuario = "root";
    std::string cPassword;
    std::string cMiBase;
    // The general database an empty name opens.
    std::string cBaseGeneral = "generaltarvena";
    // A CA file: the connection must be encrypted and the server's certificate signed by it, for this
    // host. Empty: plain connections, as the server offers.
    std::string cCA;
    unsigned SegundosEspera = 10;  // connect timeout
    // Read and write timeouts: a dead server is noticed, while a long query on a big table still finishes.
    unsigned SegundosLectura = 60;

    // Opens (or keeps, when already open on that database and healthy) the connection.
    bool AbrirBdD(Conexion& cn, const std::string& base);
    void CierraBdD(Conexion& cn);

    // SELECT campos FROM fuente; fuente is a table name optionally followed by WHERE/ORDER BY/LIMIT.
    bool AbrirTabla(Registros& rs, Conexion& cn, const std::string& fuente, const std::string& campos = "*",
                    bool escritura = false);
    bool AbrirConsulta(Registros& rs, Conexion& cn, const std::string& sql);
    void CierraTabla(Registros& rs);
    bool Executar(Conexion& cn, const std::string& sql);

    bool AgregaRegistro(Registros& rs, Conexion& cn, const NombreTabla& tabla,
                        const std::vector<std::string>& campos, const std::vector<Valor>& valores);
    bool ActualizaRegistro(Registros& rs, Conexion& cn, const NombreTabla& tabla,
                           const std::vector<std::string>& campos, const std::vector<Valor>& valores,
                           const std::string& condicion);

    long long LastId(Conexion& cn, const NombreTabla& tabla, const std::string& campo);
    long long IdMaximo(Conexion& cn, const NombreTabla& tabla, const std::string& campo);
    bool HayTabla(const NombreTabla& tabla, Conexion& cn);

    // Key-value tables (Dato, Contenido, Tipo, Descripcion); the default table is "configuracion".
    std::string LeeDato(const std::string& clave, Conexion& cn, const NombreTabla& tabla = "configuracion");
    bool GrabaDato(const std::string& clave, const std::string& valor, Conexion& cn,
                   const NombreTabla& tabla = "configuracion");
    bool IniciaDato(const std::string& clave, const std::string& valor, const std::string& tipo,
                    const std::string& descripcion, Conexion& cn, const NombreTabla& tabla = "configuracion");
    std::string LeerConfig(const std::string& clave, Conexion& cn);

    std::string AutoIncremental(const NombreTabla& tabla, Conexion& cn);
    // Names of the fields both record sets share, in the order of the target.
    void ObtenerEstructura(const Registros& origen, const Registros& destino, std::vector<std::string>& lista,
                           bool = false);
    // Column names of one record set.
    void ObtenerEstructura(const Registros& rs, std::vector<std::string>& lista);
    // Copies every shared field of the source row into the target row but `excepto`, and saves it.
    bool CopiaRecordset(Registros& destino, const Registros& origen, const std::string& excepto = "");
    void PasaCampo(const std::string& campo, const Registros& origen, Registros& destino);
    static std::string NoNull(const Valor& v) { return v.value_or(""); }
};

// The companion component: unique keys other than the primary key.
class ConcentradorBasesDD {
  public:
    // Columns of the first unique key of the table (other than the primary key); empty when none.
    bool ObtenerLlaveUnica(Conexion& cn, const NombreTabla& tabla, std::vector<std::string>& columnas);
    // "col1 = 'v1' AND col2 = 'v2'" from the current row; empty when there are no columns.
    std::string CadenaLlaveUnica(const Registros& rs, const std::vector<std::string>& columnas, Conexion& cn);
};

}  // namespace kvtx8
