#include "notices/notice_store.h"

#include <gtest/gtest.h>

#include "support/escenario.h"

using namespace cnc;

namespace {

// Id, Fecha, Hora and Metodo of the notice rows of a type, in order.
std::vector<std::string> Renglones(prueba::Escenario& a, int tipo) {
    return a.EnLocal("concentradorqmx", "SELECT Id,Fecha,Hora,Metodo FROM avisos WHERE TipoAviso=" +
                                            std::to_string(tipo) + " ORDER BY Id");
}

long long IdDe(const std::string& fila) {
    return std::stoll(fila.substr(0, fila.find('|')));
}

}  // namespace

TEST(GrabarAviso, NoticesOfATypeShareARowWithinOneCycle) {
    REQUIERE_SERVIDORES();
    prueba::Escenario a(prueba::Tablas{});  // the general databases and concentradorqmx only
    a.ApuntaAServidores();
    Conexion& cn = a.servidorLocal;
    a.m.reloj.Pon({2026, 12, 8, 10, 0, 0});
    GrabarAviso(cn, "Proveedor nuevo: \"P1\"", 3);
    a.m.reloj.Pon({2026, 12, 8, 10, 0, 59});
    GrabarAviso(cn, "Proveedor nuevo: \"P2\"", 3);
    GrabarAviso(cn, "Nuevo producto: A1", 4);

    // One row for type 3: first text, CR LF, second; it keeps the place, date and key of the first.
    auto r3 = Renglones(a, 3);
    ASSERT_EQ(r3.size(), 1u);
    EXPECT_EQ(r3[0].substr(r3[0].find('|')), "|2026-12-08|10:00:00|3");
    EXPECT_EQ(a.Aviso(IdDe(r3[0])), "Proveedor nuevo: \"P1\"\r\nProveedor nuevo: \"P2\"");
    EXPECT_EQ(UltimoAviso(3), IdDe(r3[0]));
    // A new row takes its key from the second it was raised at: 59 gives 180.
    auto r4 = Renglones(a, 4);
    ASSERT_EQ(r4.size(), 1u);
    EXPECT_EQ(r4[0].substr(r4[0].find('|')), "|2026-12-08|10:00:59|180");
    EXPECT_EQ(a.EnLocal("concentradorqmx",
                        "SELECT Leido, CAST(DECODE(Usuario,Metodo) AS CHAR) FROM avisos WHERE TipoAviso=3"),
              std::vector<std::string>{"0|CONCENTRADOR"});

    // The next cycle starts a new row.
    LimpiaUltimosAvisos();
    EXPECT_EQ(UltimoAviso(3), 0);
    a.m.reloj.Pon({2026, 12, 8, 10, 15, 30});
    GrabarAviso(cn, "Proveedor actualizado: \"P1\"", 3);
    r3 = Renglones(a, 3);
    ASSERT_EQ(r3.size(), 2u);
    EXPECT_EQ(r3[1].substr(r3[1].find('|')), "|2026-12-08|10:15:30|93");
    EXPECT_EQ(a.Aviso(IdDe(r3[1])), "Proveedor actualizado: \"P1\"");

    // A type out of range, or a server that does not answer, records nothing.
    EXPECT_FALSE(RegistraAviso(cn, "x", 23));
    EXPECT_FALSE(RegistraAviso(cn, "x", -1));
    Conexion otra;
    Mod.BDLocal.cPuerto = "1";
    EXPECT_FALSE(RegistraAviso(otra, "x", 5));
    EXPECT_EQ(a.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM avisos"), std::vector<std::string>{"3"});
}

TEST(GrabarAviso, SixThousandCharactersAppendAndOneMoreStartsANewRow) {
    REQUIERE_SERVIDORES();
    prueba::Escenario a(prueba::Tablas{});  // the general databases and concentradorqmx only
    a.ApuntaAServidores();
    Conexion& cn = a.servidorLocal;
    // Characters, not bytes: 3000 "ñ" are 6000 bytes.
    const std::string enes = [] {
        std::string s;
        for (int i = 0; i < 3000; ++i) s += "ñ";
        return s;
    }();
    GrabarAviso(cn, enes, 9);
    GrabarAviso(cn, std::string(2998, 'B'), 9);  // 3000 + 2 + 2998 = 6000
    auto r = Renglones(a, 9);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(a.Aviso(IdDe(r[0])), enes + "\r\n" + std::string(2998, 'B'));

    // One character more than the row can take: a new row, and the memory moves to it.
    GrabarAviso(cn, "C", 9);
    r = Renglones(a, 9);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(a.Aviso(IdDe(r[0])), enes + "\r\n" + std::string(2998, 'B'));
    EXPECT_EQ(a.Aviso(IdDe(r[1])), "C");
    EXPECT_EQ(UltimoAviso(9), IdDe(r[1]));

    LimpiaUltimosAvisos();
    GrabarAviso(cn, std::string(3000, 'A'), 2);
    GrabarAviso(cn, std::string(2999, 'B'), 2);  // 6001
    r = Renglones(a, 2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(a.Aviso(IdDe(r[0])), std::string(3000, 'A'));
    EXPECT_EQ(a.Aviso(IdDe(r[1])), std::string(2999, 'B'));
}

TEST(GrabarAviso, NoticesNotHandledAreStoredReadAndAnyTextDecodesAsItStands) {
    REQUIERE_SERVIDORES();
    prueba::Escenario a(prueba::Tablas{});  // the general databases and concentradorqmx only
    a.ApuntaAServidores();
    Conexion& cn = a.servidorLocal;
    a.m.reloj.Pon({2026, 12, 8, 17, 45, 9});
    const std::string raro = "O'Brien dijo \"año\" \\n \\' ñandú x' OR '1'='1";
    Mod.ManejarAvisos = 0;
    GrabarAviso(cn, raro, 6);
    EXPECT_EQ(a.EnLocal("concentradorqmx",
                        "SELECT Leido,FechaLeido,HoraLeido,CAST(DECODE(Usuario,Metodo) AS CHAR) FROM avisos"),
              std::vector<std::string>{"1|2026-12-08|17:45:09|CONCENTRADOR"});
    std::vector<AvisoGuardado> v;
    ASSERT_TRUE(LeeAvisosNoLeidos(cn, 10, v));
    EXPECT_TRUE(v.empty());

    Mod.ManejarAvisos = 1;
    GrabarAviso(cn, raro, 5);
    GrabarAviso(cn, raro, 6);  // appended to the read row: it stays read
    ASSERT_TRUE(LeeAvisosNoLeidos(cn, 10, v));
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].TipoAviso, 5);
    EXPECT_EQ(v[0].ElTexto, raro);
    EXPECT_EQ(a.Aviso(UltimoAviso(6)), raro + "\r\n" + raro);
}

TEST(AvisosGuardados, UnreadOrderPlaceSignatureAndReport) {
    REQUIERE_SERVIDORES();
    prueba::Escenario a(prueba::Tablas{});  // the general databases and concentradorqmx only
    a.ApuntaAServidores();
    Conexion& cn = a.servidorLocal;
    a.m.reloj.Pon({2026, 3, 2, 8, 30, 0});
    for (int tipo : {4, 2, 2, 9, 0}) {
        LimpiaUltimosAvisos();  // a cycle each, so the two of type 2 are two rows
        GrabarAviso(cn, "tipo " + std::to_string(tipo), tipo);
    }
    std::vector<AvisoGuardado> v;
    ASSERT_TRUE(LeeAvisosNoLeidos(cn, 3, v));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].TipoAviso, 0);
    EXPECT_EQ(v[1].TipoAviso, 2);
    EXPECT_EQ(v[2].TipoAviso, 2);
    EXPECT_LT(v[1].Id, v[2].Id);
    EXPECT_EQ(v[0].ElTexto, "tipo 0");

    const long long id = v[1].Id;
    ASSERT_TRUE(GuardaLugarDeAviso(cn, id, 150, 300, 5100, 2400, 255));
    EXPECT_EQ(a.EnLocal("concentradorqmx", "SELECT x,y,W,H,Color FROM avisos WHERE Id=" + std::to_string(id)),
              std::vector<std::string>{"150|300|5100|2400|255"});

    a.m.reloj.Pon({2026, 3, 3, 9, 1, 2});
    ASSERT_TRUE(FirmaAviso(cn, id, "O'Neil"));
    EXPECT_FALSE(FirmaAviso(cn, 9999, "ana"));
    EXPECT_EQ(a.EnLocal("concentradorqmx",
                        "SELECT Leido,FechaLeido,HoraLeido,CAST(DECODE(Usuario,Metodo) AS CHAR) FROM avisos "
                        "WHERE Id=" +
                            std::to_string(id)),
              std::vector<std::string>{"1|2026-03-03|09:01:02|O'Neil"});
    ASSERT_TRUE(LeeAvisosNoLeidos(cn, 10, v));
    EXPECT_EQ(v.size(), 4u);

    ASSERT_TRUE(MarcaAvisosLeidos(cn));
    ASSERT_TRUE(LeeAvisosNoLeidos(cn, 10, v));
    EXPECT_TRUE(v.empty());
}
