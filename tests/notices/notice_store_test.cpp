#include "notices/notice_store.h"

#include <gtest/gtest.h>

#include "core/shared_routines.h"
#include "support/falsos.h"
#include "support/servidores.h"

using namespace cnc;

namespace {

// The local server with its general database and concentradorqmx, the module pointed at it.
struct Avisos {
    prueba::ModuloDePrueba m;
    prueba::Servidor local = prueba::ServidorLocal();
    Conexion cn;

    Avisos() {
        prueba::CreaBase(local, "generaltarvena", {"general.sql"});
        prueba::CreaBase(local, "concentradorqmx", {"concentradorqmx_local.sql"});
        prueba::Configura(Mod.BDLocal, local, "datos1");
        LimpiaUltimosAvisos();
    }
    ~Avisos() {
        LimpiaUltimosAvisos();
        try {
            prueba::BorraBase(local, "concentradorqmx");
            prueba::BorraBase(local, "generaltarvena");
        } catch (...) {
        }
    }
    std::vector<std::string> Filas(const std::string& sql) {
        return prueba::Filas(local, "concentradorqmx", sql);
    }
    std::string Texto(long long id) {
        return prueba::Consulta(
            local, "concentradorqmx",
            "SELECT CAST(DECODE(Aviso,Metodo) AS CHAR) FROM avisos WHERE Id=" + std::to_string(id));
    }
    // Id, Fecha, Hora and Metodo of the rows of a type, in order.
    std::vector<std::string> Renglones(int tipo) {
        return Filas("SELECT Id,Fecha,Hora,Metodo FROM avisos WHERE TipoAviso=" + std::to_string(tipo) +
                     " ORDER BY Id");
    }
};

long long IdDe(const std::string& fila) {
    return std::stoll(fila.substr(0, fila.find('|')));
}

}  // namespace

TEST(GrabarAviso, NoticesOfATypeShareARowWithinOneCycle) {
    REQUIERE_SERVIDORES();
    Avisos a;
    a.m.reloj.Pon({2026, 12, 8, 10, 0, 0});
    GrabarAviso(a.cn, "Proveedor nuevo: \"P1\"", 3);
    a.m.reloj.Pon({2026, 12, 8, 10, 0, 59});
    GrabarAviso(a.cn, "Proveedor nuevo: \"P2\"", 3);
    GrabarAviso(a.cn, "Nuevo producto: A1", 4);

    // One row for type 3: first text, CR LF, second; it keeps the place, date and key of the first.
    auto r3 = a.Renglones(3);
    ASSERT_EQ(r3.size(), 1u);
    EXPECT_EQ(r3[0].substr(r3[0].find('|')), "|2026-12-08|10:00:00|3");
    EXPECT_EQ(a.Texto(IdDe(r3[0])), "Proveedor nuevo: \"P1\"\r\nProveedor nuevo: \"P2\"");
    EXPECT_EQ(UltimoAviso(3), IdDe(r3[0]));
    // A new row takes its key from the second it was raised at: 59 gives 180.
    auto r4 = a.Renglones(4);
    ASSERT_EQ(r4.size(), 1u);
    EXPECT_EQ(r4[0].substr(r4[0].find('|')), "|2026-12-08|10:00:59|180");
    EXPECT_EQ(a.Filas("SELECT Leido, CAST(DECODE(Usuario,Metodo) AS CHAR) FROM avisos WHERE TipoAviso=3"),
              std::vector<std::string>{"0|CONCENTRADOR"});

    // The next cycle starts a new row.
    LimpiaUltimosAvisos();
    EXPECT_EQ(UltimoAviso(3), 0);
    a.m.reloj.Pon({2026, 12, 8, 10, 15, 30});
    GrabarAviso(a.cn, "Proveedor actualizado: \"P1\"", 3);
    r3 = a.Renglones(3);
    ASSERT_EQ(r3.size(), 2u);
    EXPECT_EQ(r3[1].substr(r3[1].find('|')), "|2026-12-08|10:15:30|93");
    EXPECT_EQ(a.Texto(IdDe(r3[1])), "Proveedor actualizado: \"P1\"");

    // A type out of range, or a server that does not answer, records nothing.
    EXPECT_FALSE(RegistraAviso(a.cn, "x", 23));
    EXPECT_FALSE(RegistraAviso(a.cn, "x", -1));
    Conexion otra;
    Mod.BDLocal.cPuerto = "1";
    EXPECT_FALSE(RegistraAviso(otra, "x", 5));
    EXPECT_EQ(a.Filas("SELECT COUNT(*) FROM avisos"), std::vector<std::string>{"3"});
}

TEST(GrabarAviso, SixThousandCharactersAppendAndOneMoreStartsANewRow) {
    REQUIERE_SERVIDORES();
    Avisos a;
    // Characters, not bytes: 3000 "ñ" are 6000 bytes.
    const std::string enes = [] {
        std::string s;
        for (int i = 0; i < 3000; ++i) s += "ñ";
        return s;
    }();
    GrabarAviso(a.cn, enes, 9);
    GrabarAviso(a.cn, std::string(2998, 'B'), 9);  // 3000 + 2 + 2998 = 6000
    auto r = a.Renglones(9);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(a.Texto(IdDe(r[0])), enes + "\r\n" + std::string(2998, 'B'));

    // One character more than the row can take: a new row, and the memory moves to it.
    GrabarAviso(a.cn, "C", 9);
    r = a.Renglones(9);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(a.Texto(IdDe(r[0])), enes + "\r\n" + std::string(2998, 'B'));
    EXPECT_EQ(a.Texto(IdDe(r[1])), "C");
    EXPECT_EQ(UltimoAviso(9), IdDe(r[1]));

    LimpiaUltimosAvisos();
    GrabarAviso(a.cn, std::string(3000, 'A'), 2);
    GrabarAviso(a.cn, std::string(2999, 'B'), 2);  // 6001
    r = a.Renglones(2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(a.Texto(IdDe(r[0])), std::string(3000, 'A'));
    EXPECT_EQ(a.Texto(IdDe(r[1])), std::string(2999, 'B'));
}

TEST(GrabarAviso, NoticesNotHandledAreStoredReadAndAnyTextDecodesAsItStands) {
    REQUIERE_SERVIDORES();
    Avisos a;
    a.m.reloj.Pon({2026, 12, 8, 17, 45, 9});
    const std::string raro = "O'Brien dijo \"año\" \\n \\' ñandú x' OR '1'='1";
    Mod.ManejarAvisos = 0;
    GrabarAviso(a.cn, raro, 6);
    EXPECT_EQ(a.Filas("SELECT Leido,FechaLeido,HoraLeido,CAST(DECODE(Usuario,Metodo) AS CHAR) FROM avisos"),
              std::vector<std::string>{"1|2026-12-08|17:45:09|CONCENTRADOR"});
    std::vector<AvisoGuardado> v;
    ASSERT_TRUE(LeeAvisosNoLeidos(a.cn, 10, v));
    EXPECT_TRUE(v.empty());

    Mod.ManejarAvisos = 1;
    GrabarAviso(a.cn, raro, 5);
    GrabarAviso(a.cn, raro, 6);  // appended to the read row: it stays read
    ASSERT_TRUE(LeeAvisosNoLeidos(a.cn, 10, v));
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].TipoAviso, 5);
    EXPECT_EQ(v[0].ElTexto, raro);
    EXPECT_EQ(a.Texto(UltimoAviso(6)), raro + "\r\n" + raro);
}

TEST(AvisosGuardados, UnreadOrderPlaceSignatureAndReport) {
    REQUIERE_SERVIDORES();
    Avisos a;
    a.m.reloj.Pon({2026, 3, 2, 8, 30, 0});
    for (int tipo : {4, 2, 2, 9, 0}) {
        LimpiaUltimosAvisos();  // a cycle each, so the two of type 2 are two rows
        GrabarAviso(a.cn, "tipo " + std::to_string(tipo), tipo);
    }
    std::vector<AvisoGuardado> v;
    ASSERT_TRUE(LeeAvisosNoLeidos(a.cn, 3, v));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].TipoAviso, 0);
    EXPECT_EQ(v[1].TipoAviso, 2);
    EXPECT_EQ(v[2].TipoAviso, 2);
    EXPECT_LT(v[1].Id, v[2].Id);
    EXPECT_EQ(v[0].ElTexto, "tipo 0");

    const long long id = v[1].Id;
    ASSERT_TRUE(GuardaLugarDeAviso(a.cn, id, 150, 300, 5100, 2400, 255));
    EXPECT_EQ(a.Filas("SELECT x,y,W,H,Color FROM avisos WHERE Id=" + std::to_string(id)),
              std::vector<std::string>{"150|300|5100|2400|255"});

    a.m.reloj.Pon({2026, 3, 3, 9, 1, 2});
    ASSERT_TRUE(FirmaAviso(a.cn, id, "O'Neil"));
    EXPECT_FALSE(FirmaAviso(a.cn, 9999, "ana"));
    EXPECT_EQ(a.Filas("SELECT Leido,FechaLeido,HoraLeido,CAST(DECODE(Usuario,Metodo) AS CHAR) FROM avisos "
                      "WHERE Id=" +
                      std::to_string(id)),
              std::vector<std::string>{"1|2026-03-03|09:01:02|O'Neil"});
    ASSERT_TRUE(LeeAvisosNoLeidos(a.cn, 10, v));
    EXPECT_EQ(v.size(), 4u);

    // The report's plain columns are filled and emptied again.
    ASSERT_TRUE(DescifraAvisosParaReporte(a.cn));
    EXPECT_EQ(a.Filas("SELECT TextoAviso,TextoUsuario FROM avisos WHERE TipoAviso=4"),
              std::vector<std::string>{"tipo 4|CONCENTRAD"});
    EXPECT_EQ(a.Filas("SELECT TextoUsuario FROM avisos WHERE Id=" + std::to_string(id)),
              std::vector<std::string>{"O'Neil"});
    ASSERT_TRUE(LimpiaAvisosDelReporte(a.cn));
    EXPECT_EQ(a.Filas("SELECT COUNT(*) FROM avisos WHERE TextoAviso<>'' OR TextoUsuario<>''"),
              std::vector<std::string>{"0"});

    ASSERT_TRUE(MarcaAvisosLeidos(a.cn));
    ASSERT_TRUE(LeeAvisosNoLeidos(a.cn, 10, v));
    EXPECT_TRUE(v.empty());
}
