// Copies the rows of one local table into the table of the same name in the ESPEJO database.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "send/ciclo.h"

namespace cnc {

class clsRutinas;
struct RutinaDeTabla;

class clsEstandar {
  public:
    clsEstandar();
    ~clsEstandar();
    clsEstandar(const clsEstandar&) = delete;
    clsEstandar& operator=(const clsEstandar&) = delete;

    // Cut-off timestamp "yyyy-mm-dd hh:nn:ss" of ExportarXFADUA; an empty text leaves the old value.
    void Cronos(const std::string& valor);
    const std::string& Cronos() const { return cronos_; }

    int HandleBitacora = 0;                    // problem-records file number
    kvtx8::Conexion* ConexionLocal = nullptr;  // local company; reopened with AbreBaseLocal
    int64_t UltimoFolio = 0;                   // largest key already in the ESPEJO table
    int16_t Limite = 1000;                     // rows per block of the sequential read
    std::string Tabla;
    std::string Llave;
    // The incremental exports row by row even where blocks would do: the reference the blocks must equal.
    bool SoloPorRenglon = false;
    // Blocks the last export wrote whole, in one exchange each (a block that went row by row is not one).
    int BloquesEnviados() const { return bloquesEnviados_; }

    // Rows whose key is above UltimoFolio; the table's per-table routine (if it has one) runs for each
    // new row, and a routine cut short by a crash runs again at the next export of the table.
    Resultado ExportarInfo();
    // The whole table; existing ESPEJO rows are overwritten.
    Resultado ExportarTabla();
    // Replays concentradorqmx.borrarycancelar against ESPEJO and empties it row by row.
    Resultado ExportarCambios();
    // Rows whose FADUA is at or after Cronos, read in blocks by key: inserted when absent, rewritten when
    // present.
    Resultado ExportarXFADUA();

    // The ESPEJO connection of this object (opened with AbreBaseEspejo by the exports).
    kvtx8::Conexion& ConexionEspejo() { return espejo_; }

    // Field copy: each listed column but `excepto` (case-insensitive; none when empty) takes the
    // source value. Only sets the values: the caller saves the destination row with Update().
    static void PasaCampos(const kvtx8::Registros& origen, kvtx8::Registros& destino,
                           const std::vector<std::string>& campos, const std::string& excepto);
    // Id of the row of `tabla` whose `campo` equals `nombre`, adding it when missing; 0 for an empty
    // name or when the row cannot be added.
    static int64_t ObtenerIdPorNombre(const std::string& nombre, const std::string& tabla,
                                      kvtx8::Conexion& cn, const std::string& campo);
    // Id of the sub-line `subLinea` of the line `idLinea` in sublineas, adding it when missing; 0 for an
    // empty name, a line 0 or when the row cannot be added.
    static int64_t ObtenerIdSubLinea(const std::string& subLinea, int64_t idLinea, kvtx8::Conexion& cn);

    // Value formatting of ExportarXFADUA: the quote to put around the value and the value text.
    static void FormateaValor(const std::string& valor, int tipo, std::string& comilla, std::string& texto);

    // "UPDATE tabla SET c=v,... WHERE condicion" with the values formatted by the column types of rs (a NULL
    // stays NULL), executed on cn; the text executed, empty when nothing was (mismatched lists or an error).
    std::string ActualizaSQL(kvtx8::Conexion& cn, const kvtx8::Registros& rs, const std::string& tabla,
                             const std::vector<std::string>& campos, const std::vector<kvtx8::Valor>& valores,
                             const std::string& condicion);

  private:
    // When the ESPEJO row found by the unique columns moves to the local key.
    enum class Mover { SiEsMayor, SiEsDistinta };
    // What the unique-key check did with a local row.
    enum class PorUnica { NoAtendida, Insertada, Movida, Fallo };

    std::string TablaSQL() const { return kvtx8::Identificador(Tabla); }
    std::string LlaveSQL() const { return kvtx8::Identificador(Llave); }
    bool AbreLocal();
    bool AbreEspejo();
    // Both connections; a failure is reported and ends the export as SinConexion.
    bool AbreAmbas();
    // Before each row: both connections reopened (a lost one is reported and ends the export) and the
    // current-table caption shown; the caption is returned in `titulo`.
    bool PreparaRenglon(const std::string& clave, clsRutinas* rutinas, std::string& titulo);
    // A connection that could not be opened: reported, and the export ends as SinConexion; always false.
    bool SinConexion(bool local);
    // A row that could not be written: a line in the problem-records file, and the export ends incomplete.
    void Falla(const std::string& clave, const std::string& error);
    // A statement or look-up on ESPEJO failed: lost connection or a failed row.
    void FallaEspejo(const std::string& clave);
    // The result of the export so far, with the operator's stop taken into account.
    Resultado Final() const;
    // Adds the local row to the ESPEJO table through a copy of the structure record set.
    bool Inserta(const kvtx8::Registros& local, const kvtx8::Registros& estructura,
                 const std::vector<std::string>& campos, const std::string& excepto,
                 const std::string& clave);
    // Whether no ESPEJO row has that key; false (the export failing) when the look-up fails.
    bool LlaveLibre(const std::string& claveSQL, bool& libre);
    // The unique-key check of both incremental exports: an absent row is inserted, a present one is moved
    // to the local key when `mover` allows it and the local key is free.
    PorUnica AtiendePorUnica(const kvtx8::Registros& local, const std::vector<std::string>& unicas,
                             const kvtx8::Registros& estructura, const std::vector<std::string>& campos,
                             const std::string& excepto, Mover mover);
    // Routines left pending by a crash between a row's insert and its routine, marked and unmarked in
    // one statement for any number of rows.
    // `anota` false: a failure is left to the caller to report.
    bool MarcaRutinasPendientes(const std::vector<std::string>& claves, bool anota = true);
    bool QuitaRutinasPendientes(const std::vector<std::string>& claves);
    bool CorreRutinasPendientes(clsRutinas& rutinas, const RutinaDeTabla& rutina);
    // After a row's routine: whether its mark may go (false when it may still go later, which ends the
    // export); a routine that can never go is written down.
    bool RutinaTerminada(clsRutinas& rutinas, const std::string& clave);
    bool CierraRutina(clsRutinas& rutinas, const std::string& clave);
    // The routines of a block's new rows (positions in `local`), once the block is in ESPEJO.
    bool RutinasDelBloque(clsRutinas& rutinas, const RutinaDeTabla& rutina, kvtx8::Registros& local,
                          const std::vector<size_t>& nuevas);
    void VerificaNuevo(const std::string& claveSQL, const std::vector<std::string>& campos);
    // The UPDATE of a changed row, with its local values, not yet executed.
    std::string TextoCambiado(const kvtx8::Registros& local, const kvtx8::Registros& estructura,
                              const std::vector<std::string>& campos, const std::string& claveSQL);
    // A value for SQL, formatted by its column's type in rs; NULL stays NULL.
    static std::string ValorSQL(kvtx8::Conexion& cn, const kvtx8::Registros& rs, const std::string& campo,
                                const kvtx8::Valor& valor);
    // The columns a changed row writes, and their values.
    void ValoresCambiado(const kvtx8::Registros& local, const std::vector<std::string>& campos,
                         const std::string& claveSQL, std::vector<std::string>& nombres,
                         std::vector<kvtx8::Valor>& valores) const;
    // The same with the values already formatted.
    static std::string TextoActualiza(const std::string& tabla, const std::vector<std::string>& campos,
                                      const std::vector<std::string>& literales,
                                      const std::string& condicion);
    static std::string TextoActualiza(kvtx8::Conexion& cn, const kvtx8::Registros& rs,
                                      const std::string& tabla, const std::vector<std::string>& campos,
                                      const std::vector<kvtx8::Valor>& valores, const std::string& condicion);
    void ActualizaCambiado(const kvtx8::Registros& local, const kvtx8::Registros& estructura,
                           const std::vector<std::string>& campos, const std::string& claveSQL);
    // Replays one queued action; Completo when every statement went or failed for good (those are
    // written to the problem-records file), otherwise the row stays queued.
    Resultado AplicaAccion(int accion, const std::string& identificador);
    bool EjecutaCambio(const std::string& sql, Resultado& r);
    // A failed statement of the replay: worse `r` when it may mend itself, otherwise written down.
    bool FallaCambio(const std::string& sql, Resultado& r);

    // Block export (exportar_bloques.cpp): the rows of the reader's block from the current one on, with the
    // same outcome as row by row, in one transaction. `hecho` false: nothing was kept and the block goes
    // row by row; otherwise `filas` rows were handled (fewer when the operator stopped).
    enum class Modo { Info, XFADUA };
    struct Bloque {
        bool hecho = false;
        size_t filas = 0;
        bool alto = false;  // a row was refused: written down, and the export ends
        std::vector<size_t> nuevas;  // rows the block added (ExportarInfo), marked for their routine
    };
    // Whether ESPEJO can take this table by blocks: a transactional table.
    bool AdmiteBloques();
    Bloque ExportaBloque(kvtx8::Registros& local, const std::vector<std::string>& unicas,
                         const kvtx8::Registros& estructura, const std::vector<std::string>& campos,
                         Modo modo, long long registro, long long totales);

    std::string cronos_;
    int bloquesEnviados_ = 0;
    kvtx8::Conexion espejo_;
    Resultado resultado_ = Resultado::Completo;
    bool marcaRutinas_ = false;  // ExportarInfo of a table with a routine: each insert is marked first
};

}  // namespace cnc
