// The incremental exports by blocks: the ESPEJO side is asked about a whole block at once and written in
// one exchange, while every row ends as the row-by-row export leaves it.
//
// The block is walked in order against what ESPEJO held when it was asked, plus what the block itself
// changed. Keys are numbers, so their changes are followed exactly. Unique values compare by the server's
// collation, which the program cannot reproduce; so a row whose unique values might equal those of a row
// the block already touched sends what is pending and asks again from there.
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>

#include "components/transaccion.h"
#include "core/shared_routines.h"
#include "send/ciclo.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

// Beyond this the pending text goes before the next row is added (well under the server's packet limit).
constexpr size_t kTextoMaximo = 4u << 20;

struct Renglon {
    size_t posicion = 0;
    std::string clave;
    int64_t llave = 0;
    std::string condicion;  // unique-key condition; empty when the table has no unique key
    std::string suelta;     // the unique values folded so that equal ones under any collation fold alike
    std::optional<std::vector<std::string>> unicos;  // the unique values as read, when none is NULL
    bool comodin = false;   // might equal anything (NULL, non-ASCII text, a text in a numeric column)
};

// What ESPEJO holds for the rows from `desde` on, as asked, with the changes the block made since.
struct Tramo {
    std::set<int64_t> tomadas;
    std::map<size_t, int64_t> porUnica;  // row -> key of the first ESPEJO row its unique condition meets
    std::map<int64_t, int64_t> movidas;  // key -> key it was moved to
    std::set<int64_t> reescritas;        // rows given new values
    std::set<std::string> tocadas;       // folded unique values written
    bool comodin = false;
    std::optional<int64_t> numerador;  // ESPEJO's next number before the first row it numbered
};

int64_t Sigue(const Tramo& t, int64_t llave) {
    for (auto it = t.movidas.find(llave); it != t.movidas.end(); it = t.movidas.find(llave))
        llave = it->second;
    return llave;
}

// Case, trailing blanks and control characters ignored, numbers by value; anything else non-ASCII is a
// wildcard. Equal under the collation implies equal folded values.
bool Pliega(const kvtx8::Registros& local, const kvtx8::Registros& estructura,
            const std::vector<std::string>& unicas, std::string& suelta) {
    suelta.clear();
    for (const auto& c : unicas) {
        const kvtx8::Valor v = local.Dato(c);
        if (!v) return false;
        std::string p;
        if (kvtx8::EsTipoNumerico(estructura.Tipo(c))) {
            char* fin = nullptr;
            const double d = std::strtod(v->c_str(), &fin);
            if (v->empty() || *fin != '\0') return false;
            char b[40];
            std::snprintf(b, sizeof b, "%.17g", d);
            p = b;
        } else {
            for (unsigned char ch : *v) {
                if (ch >= 0x80) return false;
                if (ch < 0x20 || ch == 0x7f) continue;
                p += static_cast<char>(std::tolower(ch));
            }
            while (!p.empty() && p.back() == ' ') p.pop_back();
        }
        suelta += p;
        suelta += '\x1f';
    }
    return true;
}

}  // namespace

bool clsEstandar::AdmiteBloques() {
    const kvtx8::Valor motor = espejo_.Escalar(
        "SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA=DATABASE() AND TABLE_NAME=" +
        espejo_.Literal(Tabla));
    return motor && kvtx8::Minusculas(*motor) == "innodb";
}

clsEstandar::Bloque clsEstandar::ExportaBloque(Registros& local, const std::vector<std::string>& unicas,
                                               const Registros& estructura,
                                               const std::vector<std::string>& campos, Modo modo,
                                               long long registro, long long totales) {
    Bloque b;
    const size_t inicio = local.Posicion(), fin = local.RecordCount();
    // A connection to open again goes row by row, which reports it once and waits its retry window once.
    if (inicio >= fin || !ConexionLocal->Abierta() || !espejo_.Abierta()) return b;
    const std::string excepto = modo == Modo::XFADUA ? Llave : std::string();

    std::vector<Renglon> renglones;
    renglones.reserve(fin - inicio);
    std::vector<std::string> columnas;
    std::vector<size_t> indices;  // of each column in the local rows
    for (const auto& c : campos) {
        if (!local.TieneCampo(c) || (!excepto.empty() && kvtx8::IgualSinMayusculas(c, excepto))) continue;
        columnas.push_back(c);
        for (size_t i = 0; i < local.Campos().size(); ++i)
            if (kvtx8::IgualSinMayusculas(local.Campos()[i].nombre, c)) {
                indices.push_back(i);
                break;
            }
    }
    kvtx8::ConcentradorBasesDD llaves;
    for (size_t i = inicio; i < fin; ++i) {
        local.IrA(i);
        Renglon r;
        r.posicion = i;
        r.clave = local.Texto(Llave);
        r.llave = local.Entero(Llave);
        // A key that is not a plain number is compared as text row by row.
        if (std::to_string(r.llave) != r.clave) return local.IrA(inicio), b;
        if (!unicas.empty()) {
            r.condicion = llaves.CadenaLlaveUnica(local, unicas, espejo_);
            r.comodin = !Pliega(local, estructura, unicas, r.suelta);
            std::vector<std::string> valores;
            for (const auto& c : unicas)
                if (const kvtx8::Valor v = local.Dato(c)) valores.push_back(*v);
            if (valores.size() == unicas.size()) r.unicos = std::move(valores);
        }
        renglones.push_back(std::move(r));
    }
    local.IrA(inicio);

    kvtx8::Transaccion tx(espejo_);
    if (!tx.Activa()) return b;

    Tramo t;
    // Statements not yet sent, each with its row; one that writes several changed rows at once also
    // carries their single UPDATEs, sent instead when it is refused.
    struct Sentencia {
        std::string texto;
        size_t fila = 0;
        std::vector<std::pair<std::string, size_t>> desglose;
    };
    std::vector<Sentencia> pendientes;
    size_t largo = 0;
    std::string insercion;            // the open multi-row INSERT
    Sentencia cambios;                // the open multi-row rewrite of changed rows
    std::optional<int64_t> contador;  // ESPEJO's next number, asked once
    std::vector<std::string> nombresCambio;
    size_t filaInsercion = 0;
    std::optional<size_t> falla;  // the row whose statement ESPEJO refused, the ones before it kept
    std::string error;
    std::vector<size_t> porVerificar;  // rows added through their unique key that must be found by it
    bool nuevosPorLlave = false;
    std::vector<size_t> nuevas;  // rows added by the export of new rows, for their routines

    // The unique columns as a select list and as the left side of an IN.
    std::string columnasUnicas, tuplaUnica;
    for (const auto& c : unicas) {
        columnasUnicas += "," + kvtx8::Identificador(c);
        tuplaUnica += (tuplaUnica.empty() ? "" : ",") + kvtx8::Identificador(c);
    }
    if (unicas.size() > 1) tuplaUnica = "(" + tuplaUnica + ")";
    // Approximate numbers read back as text may not compare equal to that text.
    bool mismosValores = true;
    for (const auto& c : unicas) {
        const int tipo = estructura.Tipo(c);
        if (tipo == kvtx8::adSingle || tipo == kvtx8::adDouble) mismosValores = false;
    }
    auto tupla = [&](const std::vector<std::string>& valores) {
        std::string r;
        for (const auto& v : valores) r += (r.empty() ? "" : ",") + espejo_.Literal(v);
        return valores.size() > 1 ? "(" + r + ")" : r;
    };
    auto consulta = [&](size_t desde) {
        t = Tramo();
        std::string claves;
        for (size_t i = desde; i < renglones.size(); ++i)
            claves += (claves.empty() ? "" : ",") + std::to_string(renglones[i].llave);
        Registros rs;
        if (!Mod.BDRemota.AbrirConsulta(rs, espejo_,
                                        "SELECT " + LlaveSQL() + columnasUnicas + " FROM " + TablaSQL() +
                                            " WHERE " + LlaveSQL() + " IN (" + claves + ")"))
            return false;
        std::map<int64_t, std::vector<std::string>> suyos;  // key -> its unique values, none NULL
        for (; !rs.Eof(); rs.MoveNext()) {
            const int64_t k = rs.Entero(Llave);
            t.tomadas.insert(k);
            std::vector<std::string> valores;
            for (const auto& c : unicas)
                if (const kvtx8::Valor v = rs.Dato(c)) valores.push_back(*v);
            if (!unicas.empty() && valores.size() == unicas.size()) suyos.emplace(k, std::move(valores));
        }
        if (unicas.empty()) return true;
        // A row whose own key holds the very same unique values meets that row: the unique index lets no
        // other hold values equal to them. The rest ask, first all at once whether any meets anything.
        std::vector<size_t> dudosos;
        std::string lista;
        bool conNulo = false;
        for (size_t i = desde; i < renglones.size(); ++i) {
            const Renglon& r = renglones[i];
            const auto s = suyos.find(r.llave);
            if (mismosValores && r.unicos && s != suyos.end() && s->second == *r.unicos) {
                t.porUnica.emplace(i, r.llave);
                continue;
            }
            dudosos.push_back(i);
            if (r.unicos)
                lista += (lista.empty() ? "" : ",") + tupla(*r.unicos);
            else
                conNulo = true;
        }
        if (dudosos.empty()) return true;
        if (!conNulo) {
            const kvtx8::Valor alguno = espejo_.Escalar("SELECT 1 FROM " + TablaSQL() + " WHERE " + tuplaUnica +
                                                        " IN (" + lista + ") LIMIT 1");
            if (!alguno) return espejo_.UltimoError() == 0;
        }
        // Each row's own look-up, all in one request; a row keeps the first ESPEJO row it meets.
        std::string sql;
        for (size_t i : dudosos)
            sql += std::string(sql.empty() ? "" : " UNION ALL ") + "SELECT " + std::to_string(i) + " AS n," +
                   LlaveSQL() + " AS k FROM " + TablaSQL() + " WHERE " + renglones[i].condicion;
        if (!Mod.BDRemota.AbrirConsulta(rs, espejo_, sql)) return false;
        for (; !rs.Eof(); rs.MoveNext()) {
            const int64_t k = rs.Entero("k");
            t.porUnica.emplace(static_cast<size_t>(rs.Entero("n")), k);
            t.tomadas.insert(k);
        }
        return true;
    };
    auto agrega = [&](Sentencia&& e) {
        largo += e.texto.size();
        pendientes.push_back(std::move(e));
    };
    auto cierraInsercion = [&] {
        if (!insercion.empty()) agrega({insercion, filaInsercion, {}});
        insercion.clear();
        if (!cambios.texto.empty()) {
            cambios.texto += " ON DUPLICATE KEY UPDATE ";
            bool primera = true;
            for (const auto& c : nombresCambio) {
                cambios.texto += (primera ? "" : ",") + kvtx8::Identificador(c) + "=VALUES(" +
                                 kvtx8::Identificador(c) + ")";
                primera = false;
            }
            agrega(std::move(cambios));
        }
        cambios = Sentencia();
    };
    auto envia = [&] {
        cierraInsercion();
        while (!pendientes.empty()) {
            std::string texto;
            texto.reserve(largo + pendientes.size());
            for (const auto& e : pendientes) texto += e.texto + ";";
            size_t hechas = 0;
            const bool bien = espejo_.EjecutarVarias(texto, &hechas);
            if (bien) break;
            if (hechas >= pendientes.size() || !espejo_.Abierta()) return false;
            if (!pendientes[hechas].desglose.empty()) {
                // Refused as a whole, nothing of it stays: its rows go one statement each, and so on.
                std::vector<Sentencia> resto;
                for (auto& [sql, fila] : pendientes[hechas].desglose) resto.push_back({sql, fila, {}});
                for (size_t i = hechas + 1; i < pendientes.size(); ++i)
                    resto.push_back(std::move(pendientes[i]));
                pendientes = std::move(resto);
                largo = 0;
                for (const auto& e : pendientes) largo += e.texto.size();
                continue;
            }
            // Rows numbered by ESPEJO use up their numbers even when undone: the statements that went are
            // kept, and the refused one ends the export as it would row by row. A multi-row insert of the
            // other export cannot tell its row; the block then goes row by row.
            // A lock wait or a deadlock is no refusal: a deadlock undid the whole block, and either way the
            // row goes again next time, as row by row.
            if (modo != Modo::XFADUA || ErrorPasajero(espejo_)) return false;
            falla = pendientes[hechas].fila;
            error = espejo_.MensajeError();
            std::erase_if(porVerificar, [&](size_t v) { return v >= *falla; });
            break;
        }
        pendientes.clear();
        largo = 0;
        if (porVerificar.empty()) return true;
        // Found again by its unique key, as the row-by-row export checks each such insert.
        std::string sql;
        for (size_t v : porVerificar)
            sql += std::string(sql.empty() ? "" : " UNION ALL ") + "SELECT DISTINCT " + std::to_string(v) +
                   " AS n FROM " + TablaSQL() + " WHERE " + renglones[v].condicion;
        Registros rs;
        if (!Mod.BDRemota.AbrirConsulta(rs, espejo_, sql) || rs.RecordCount() != porVerificar.size())
            return false;
        porVerificar.clear();
        return true;
    };
    std::string lista;
    for (size_t c = 0; c < columnas.size(); ++c) lista += (c ? "," : "") + kvtx8::Identificador(columnas[c]);
    size_t j = 0;
    auto inserta = [&] {
        std::string tupla = "(";
        for (size_t c = 0; c < indices.size(); ++c)
            tupla += (c ? "," : "") + espejo_.Literal(local.Dato(indices[c]));
        tupla += ")";
        if (modo == Modo::XFADUA) {
            // One statement a row: each refusal belongs to its row.
            cierraInsercion();
            agrega({"INSERT INTO " + TablaSQL() + " (" + lista + ") VALUES " + tupla, j, {}});
        } else if (insercion.empty()) {
            cierraInsercion();
            insercion = "INSERT INTO " + TablaSQL() + " (" + lista + ") VALUES " + tupla;
            filaInsercion = j;
        } else {
            insercion += "," + tupla;
        }
    };
    auto sentencia = [&](const std::string& sql) {
        cierraInsercion();
        agrega({sql, j, {}});
    };
    // A changed row rewritten by its key. Several go in one INSERT ... ON DUPLICATE KEY UPDATE, which
    // ends as their UPDATEs do: the row exists, so the primary key meets first and its row is updated,
    // and a refusal leaves nothing and falls back on the UPDATEs. Only below ESPEJO's counter, as an
    // INSERT with a larger key would move the counter.
    auto reescribe = [&](const std::string& claveSQL) {
        std::vector<std::string> nombres, literales;
        std::vector<Valor> valores;
        ValoresCambiado(local, campos, claveSQL, nombres, valores);
        literales.reserve(nombres.size());
        for (size_t c = 0; c < nombres.size(); ++c)
            literales.push_back(ValorSQL(espejo_, estructura, nombres[c], valores[c]));
        std::string sql = TextoActualiza(Tabla, nombres, literales, LlaveSQL() + "=" + claveSQL);
        if (!contador) {
            const kvtx8::Valor v = espejo_.Escalar(
                "SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA=DATABASE() AND "
                "TABLE_NAME=" +
                espejo_.Literal(Tabla));
            contador = v ? std::strtoll(v->c_str(), nullptr, 10) : INT64_MAX;
        }
        if (renglones[j].llave >= *contador || (!cambios.texto.empty() && nombres != nombresCambio)) {
            sentencia(sql);
            return;
        }
        std::string tupla = "(";
        for (size_t c = 0; c < literales.size(); ++c) tupla += (c ? "," : "") + literales[c];
        tupla += ")";
        if (cambios.texto.empty()) {
            cierraInsercion();
            nombresCambio = nombres;
            cambios.fila = j;
            cambios.texto = "INSERT INTO " + TablaSQL() + " (";
            for (size_t c = 0; c < nombres.size(); ++c)
                cambios.texto += (c ? "," : "") + kvtx8::Identificador(nombres[c]);
            cambios.texto += ") VALUES " + tupla;
        } else {
            cambios.texto += "," + tupla;
        }
        cambios.desglose.emplace_back(std::move(sql), j);
    };
    auto toca = [&](const Renglon& r) {
        if (r.condicion.empty()) return;
        if (r.comodin)
            t.comodin = true;
        else
            t.tocadas.insert(r.suelta);
    };
    // Whether what the block wrote since the look-up may change what this row would find.
    auto choca = [&](size_t j) {
        const Renglon& r = renglones[j];
        // ESPEJO numbers the rows it adds from its counter on.
        if (t.numerador && r.llave >= *t.numerador) return true;
        if (r.condicion.empty()) return false;
        if (t.comodin || t.tocadas.count(r.suelta)) return true;
        // Several ESPEJO rows may meet it (NULLs): which comes first depends on every change.
        if (r.comodin && !(t.tocadas.empty() && t.movidas.empty() && t.reescritas.empty())) return true;
        auto it = t.porUnica.find(j);
        return it != t.porUnica.end() && t.reescritas.count(Sigue(t, it->second)) > 0;
    };
    auto numeraEspejo = [&] {
        if (t.numerador) return true;
        // Its counter, not the largest key: a key moved up by UPDATE leaves the counter behind.
        const kvtx8::Valor v = espejo_.Escalar(
            "SELECT COALESCE(AUTO_INCREMENT,0) FROM information_schema.TABLES WHERE TABLE_SCHEMA=DATABASE() "
            "AND "
            "TABLE_NAME=" +
            espejo_.Literal(Tabla));
        if (!v) return false;
        t.numerador = std::strtoll(v->c_str(), nullptr, 10);
        return true;
    };
    auto deshace = [&] {
        tx.Deshace();
        local.IrA(inicio);
        return Bloque();
    };

    if (!consulta(0)) return deshace();
    for (; j < renglones.size(); ++j) {
        if (ContextoCiclo::Detenido()) break;
        const Renglon& r = renglones[j];
        local.IrA(r.posicion);
        if (choca(j) && (!envia() || (!falla && !consulta(j)))) return deshace();
        if (largo + insercion.size() + cambios.texto.size() > kTextoMaximo && !envia()) return deshace();
        if (falla) break;
        const int64_t k = r.llave;
        const std::string claveSQL = std::to_string(k);
        std::string titulo;
        if (modo == Modo::Info) {
            titulo = kvtx8::Mayusculas(Tabla) + ". Registro " + std::to_string(registro + (long long)j) +
                     " de " + std::to_string(totales) + "\nCopiando " + Llave + " " + r.clave;
            Ventana().TablaActual(titulo);
        } else {
            Ventana().TablaActual(kvtx8::Mayusculas(Tabla) + "\nCopiando " + Llave + " " + r.clave);
            Ventana().Ceder();
        }
        bool atendida = false;
        if (!r.condicion.empty()) {
            auto it = t.porUnica.find(j);
            if (it == t.porUnica.end()) {
                if (modo == Modo::Info) {
                    // The insert would be refused: row by row says so and stops there.
                    if (t.tomadas.count(k)) return deshace();
                    inserta();
                    t.tomadas.insert(k);
                    // Row by row, such a row is new (its routine runs) once it is found again by its values.
                    if (marcaRutinas_) {
                        porVerificar.push_back(j);
                        nuevas.push_back(j);
                    }
                    Ventana().TablaActual(titulo + ". ( X )");
                } else {
                    if (!numeraEspejo()) return deshace();
                    inserta();
                    porVerificar.push_back(j);
                }
                toca(r);
                atendida = true;
            } else {
                const int64_t suya = Sigue(t, it->second);
                const bool mueve = modo == Modo::Info ? k > suya : k != suya;
                if (mueve && !t.tomadas.count(k)) {
                    sentencia("UPDATE " + TablaSQL() + " SET " + LlaveSQL() + "=" + claveSQL + " WHERE " +
                              LlaveSQL() + "=" + std::to_string(suya));
                    t.tomadas.erase(suya);
                    t.tomadas.insert(k);
                    t.movidas[suya] = k;
                    if (modo == Modo::XFADUA) {
                        // The row was met because it changed: its new values go along with the move.
                        sentencia(TextoCambiado(local, estructura, campos, claveSQL));
                        t.reescritas.insert(k);
                        toca(r);
                    }
                    atendida = true;
                }
            }
        }
        if (!atendida) {
            if (modo == Modo::Info) {
                if (t.tomadas.count(k)) {
                    Ventana().TablaActual(titulo + ". ( X )");
                } else {
                    Ventana().TablaActual(titulo + ". ( Nuevo )");
                    Ventana().Ceder();
                    inserta();
                    t.tomadas.insert(k);
                    toca(r);
                    nuevosPorLlave = true;
                    if (marcaRutinas_) nuevas.push_back(j);
                }
            } else if (t.tomadas.count(k)) {
                reescribe(claveSQL);
                t.reescritas.insert(k);
                toca(r);
            } else {
                if (!numeraEspejo()) return deshace();
                inserta();
                toca(r);
            }
        }
        if (modo == Modo::Info) Ventana().Ceder();
    }
    if (!falla && !envia()) return deshace();
    // A new row is checked against the local one only when ESPEJO reports no last key, which a table
    // holding positive keys never does; that case goes row by row.
    if (nuevosPorLlave && Mod.BDRemota.LastId(espejo_, Tabla, Llave) == 0) return deshace();
    // Marked before they are kept: a crash between the two leaves marks of absent rows, which go.
    std::vector<std::string> claves;
    for (size_t n : nuevas) claves.push_back(renglones[n].clave);
    if (!MarcaRutinasPendientes(claves, false)) return deshace();
    if (!tx.Confirma()) return deshace();
    for (size_t n : nuevas) b.nuevas.push_back(renglones[n].posicion);
    local.IrA(inicio);
    ++bloquesEnviados_;
    b.hecho = true;
    b.filas = j;
    if (falla) {
        Falla(renglones[*falla].clave, error);
        b.filas = *falla;
        b.alto = true;
    }
    return b;
}

}  // namespace cnc
