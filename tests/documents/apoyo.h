// What the document tests share: the harness on the company tables the documents write, and file builders.
#pragma once

#include <string>
#include <vector>

#include "core/shared_routines.h"
#include "support/escenario.h"

namespace doc {

using Lista = prueba::Lista;

// Company tables a purchase, an order, a transfer and its entries touch.
inline const prueba::Tablas kTablas = {"compras",
                                       "comprasdetalle",
                                       "productos",
                                       "lineas",
                                       "sublineas",
                                       "marcas",
                                       "medidas",
                                       "historicoalmacen",
                                       "ajustes",
                                       "referenciaexterna",
                                       "referencias",
                                       "existenciaexterna",
                                       "clavesalternas",
                                       "edoctaprov",
                                       "saldospro",
                                       "anexopagosprov",
                                       "cxp",
                                       "folios",
                                       "clientes",
                                       "sistema",
                                       "pedidos",
                                       "pedidosdetalle",
                                       "ordenes",
                                       "barcomandas",
                                       "barcomandasvar",
                                       "sucursales",
                                       "traspasos",
                                       "traspasosdetalle",
                                       "entradas",
                                       "entradasdetalle"};

struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(kTablas) {
        ApuntaAServidores();
        cnc::Mod.SegundosReintento = 1;
        cnc::AbreBaseLocal(compania);
        cnc::AbreBase(cnc::Mod.BDLocal, servidorLocal, "");
    }
    // A file of the program folder with this text; its path.
    std::string Archivo(const std::string& nombre, const std::string& texto) {
        m.carpeta.Escribe(nombre, texto);
        return m.carpeta.Archivo(nombre);
    }
    std::string Cuenta(const std::string& tabla) {
        return EnLocal(baseLocal, "SELECT COUNT(*) FROM " + tabla)[0];
    }
};

// One line of a purchase file: its 19 block lines and its tagged records, "D" added.
struct LineaCompra {
    std::string partida = "1", producto = "A-1", descrip = "Tornillo", cantidad = "10", costo = "12";
    std::vector<std::string> etiquetas;  // whole lines: "R", "\"LOTE1\",3,\"2027-01-31\"", "T", "ALT-1"
};

inline std::string ArchivoCompra(const std::string& tipo, const std::string& folioSerie,
                                 const std::string& pago, const std::vector<LineaCompra>& lineas,
                                 const std::string& proveedor = "PROV1") {
    std::string s = "\"" + proveedor + "\",\"Sucursal Centro\",\"" + tipo + "\",1\r\n" + folioSerie +
                    "\r\n2026-12-31\r\n0\r\n0\r\n0\r\n0\r\nNota general\r\nF1\r\nF2\r\nF3\r\nF4\r\nF5\r\n"
                    "100\r\n16\r\n0\r\n116\r\n1\r\n" +
                    pago + "\r\n--------\r\n";
    for (const auto& l : lineas) {
        s += l.partida + "\r\n" + l.producto + "\r\n" + l.descrip + "\r\n" + l.cantidad + "\r\n" + l.costo +
             "\r\n" + l.costo + "\r\nrenglón\r\n0\r\n0\r\n0\r\n" + l.costo +
             "\r\n20\r\n16\r\n0\r\nFERRETERIA\r\nTORNILLOS\r\nACME\r\nPZA\r\n" + l.costo + ",21,22,23,24\r\n";
        for (const auto& e : l.etiquetas) s += e + "\r\n";
        s += "D\r\n";
    }
    return s;
}

}  // namespace doc
