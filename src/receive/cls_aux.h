// The handlers that apply file-borne product changes: new and changed products, key changes, annexes,
// additional fields and variants. The MATRIZ company is the master of product data; the handlers read it
// by name on a connection of their own, or through the ESPEJO connection with its name as schema.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

class clsAux {
  public:
    // Error text of the last failed handler, "Nº " + number + ": " + description; the dispatcher reads and
    // clears it. Numbers are the server's; 0 is an error this program found in the file or the data.
    std::string TextoError;
    // The new key of the last CambioClaveProducto.
    const std::string& ClaveNueva() const { return claveNueva_; }

    // "PR": the MATRIZ product into the local company, as new or over the local one. False, without error
    // text, while the MATRIZ does not have it (the row waits).
    bool ProductoNuevo(const std::string& matriz, kvtx8::Conexion& local, const std::string& clave,
                       kvtx8::Conexion& servidorLocal);
    // "PC": the change lines of the work file applied to the local product, its ranges from the MATRIZ,
    // and its prices and annex copied to the ESPEJO. All lines or none.
    bool ProductoCambiado(const std::string& clave, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                          const std::string& ruta, kvtx8::Conexion& servidorLocal, const std::string& matriz,
                          kvtx8::Conexion& espejo);
    // "CP": the key after the file's first tab replaces the product's key everywhere. A new key that
    // already exists changes nothing and still counts as done.
    bool CambioClaveProducto(const std::string& clave, kvtx8::Conexion& local, const std::string& texto);

    // "AP": the MATRIZ annex of the product over the local one.
    bool AnexosProducto(const std::string& matriz, kvtx8::Conexion& local, const std::string& clave,
                        kvtx8::Conexion& servidorLocal);
    // "CA": the additional-field records of the work file (label ending in the slot 1..10, text, number).
    bool CamposAdicionales(const std::string& clave, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                           const std::string& ruta, kvtx8::Conexion& servidorLocal, const std::string& matriz,
                           kvtx8::Conexion& espejo);
    // "VC": the variant named on the file's first line, from the MATRIZ.
    bool VarianteCambiada(const std::string& matriz, kvtx8::Conexion& local, const std::string& texto,
                          kvtx8::Conexion& servidorLocal);
    // "VP": the MATRIZ variants of the product, and their links to it.
    bool VariantesDelProd(const std::string& matriz, kvtx8::Conexion& local, const std::string& clave,
                          kvtx8::Conexion& servidorLocal);
    // "PX": the product's minimum, maximum and variant options from the MATRIZ.
    bool VariantesEnElProd(const std::string& matriz, kvtx8::Conexion& local, const std::string& clave,
                           kvtx8::Conexion& servidorLocal);

    // "CN": the records "Dato","Contenido" of the work file into the company's configura, all or none;
    // a file that is not such records leaves the error text. The dispatcher consumes the row anyway.
    void LeerDeConfigura(kvtx8::Conexion& local, const std::string& ruta);
    // "KT": the kit's cost (first line) and, when the file has more lines, its components in records of
    // four lines (item, component key, quantity, cost) in place of the ones it had.
    bool LeerKit(const std::string& clave, kvtx8::Conexion& local, const std::string& ruta);
    // "OF": the offer of the work file, with its products, once; raises "Oferta N registrada".
    bool LeerOferta(const kvtx8::Registros& fila, kvtx8::Conexion& local, const std::string& ruta,
                    kvtx8::Conexion& servidorLocal);
    // "CC": the product's cost, prices and formulas of the work file, its ranges from the MATRIZ and its
    // alternate keys; then the ESPEJO copy. The product comes from the MATRIZ when it is missing here.
    bool LeerCambioCosto(const std::string& clave, kvtx8::Conexion& local, const std::string& ruta,
                         const std::string& matriz, kvtx8::Conexion& espejo);
    // The product's sale prices 1 to the company's "Precios" recomputed from their formulas, with the
    // company's taxes and currencies; each price that moves is recorded. False when a statement failed
    // (the caller decides whether to undo); a missing product is nothing to do.
    bool RecalcularPrecios(kvtx8::Conexion& local, const std::string& clave);

    // Fills TextoError from the connection's last error, or with a number and text of this program. The
    // first error of a handler is kept: later ones usually follow from it.
    void TomarElError(const kvtx8::Conexion& cn);
    void TomarElError(unsigned numero, const std::string& descripcion);
    // The error taken may go away by itself (a lost connection, a lock wait, a deadlock): the change is
    // worth trying again rather than recording as failed.
    bool ErrorPasajero() const { return pasajero_; }
    // Before each change: no error.
    void Limpia() {
        TextoError.clear();
        pasajero_ = false;
    }

    // The work files read whole before anything is written; false with the reason when malformed.
    // "KT": the cost line, then four lines per component.
    static bool LeeKit(const std::string& contenido, std::vector<std::string>& lineas, std::string& error);
    // "OF": the offer's two records and its product keys.
    static bool LeeOferta(const std::string& contenido, std::vector<std::string>& r1, std::vector<std::string>& r2,
                          std::vector<std::string>& productos, std::string& error);
    // "CN": the pairs Dato, Contenido, backslashes undoubled.
    static bool LeeConfigura(const std::string& contenido,
                             std::vector<std::pair<std::string, std::string>>& datos, std::string& error);
    // "CC": whether the cost file reads whole.
    static bool CostoLegible(const std::string& contenido, std::string& error);

    // A change line "campo","anterior","nuevo" (or "campo","nuevo"); false when it has no quote-comma pair.
    static bool SepararLinea(const std::string& linea, std::string& campo, std::string& anterior,
                             std::string& nuevo);
    // The MATRIZ price ranges of the product (as many as the company's setting "Precios", 1 to 5) over
    // the local ones.
    void CopiarRangos(kvtx8::Conexion& espejo, const std::string& matriz, const std::string& clave,
                      kvtx8::Conexion& local, long long id);
    // The product's cost and prices, its prices above 5 and its annex, from the local company to the ESPEJO.
    void ReplicarEnEspejo(const std::string& clave, kvtx8::Conexion& local, kvtx8::Conexion& espejo);

  private:
    void NoExisteEnMatriz();
    // A failed copy of `clave` from the MATRIZ: the error of a side that was lost or whose error passes
    // comes first (the change then waits), then the local company's refusal, then a text of this program.
    void CopiaFallida(const kvtx8::Conexion& local, const kvtx8::Conexion& cnMatriz, const std::string& clave);
    // Opens the source; false (with the error taken) when the query failed.
    bool Abre(kvtx8::Registros& rs, kvtx8::Conexion& cn, const std::string& fuente,
              const std::string& campos = "*");
    // Finds the row, adding it once when missing (a unique key may make the add fail while another
    // writer added it); its Id, or 0 with the error taken.
    long long BuscaOAgrega(kvtx8::Conexion& cn, const std::string& tabla, const std::string& condicion,
                           const kvtx8::Registros* origen, const std::vector<std::string>& campos,
                           const std::vector<kvtx8::Valor>& valores);

    std::string claveNueva_;
    bool pasajero_ = false;
};

}  // namespace cnc
