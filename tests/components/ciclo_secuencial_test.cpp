#include <gtest/gtest.h>

#include "components/ciclo_secuencial.h"
#include "support/servidores.h"

using namespace kvtx8;

TEST(CicloSecuencial, WalksMatchingRowsInKeyOrderBlockByBlock) {
    REQUIERE_SERVIDORES();
    auto s = prueba::ServidorLocal();
    prueba::CreaBase(s, "prueba_ciclo");
    std::string sql = "CREATE TABLE t (Id INT PRIMARY KEY, Par TINYINT); INSERT INTO t VALUES ";
    for (int i = 1; i <= 250; ++i)
        sql += (i > 1 ? "," : "") + ("(" + std::to_string(i * 7 % 251) + "," + std::to_string(i % 2) + ")");
    prueba::EjecutaSQL(s, "prueba_ciclo", sql);

    BasesDD bd;
    prueba::Configura(bd, s);
    Conexion cn;
    ASSERT_TRUE(bd.AbrirBdD(cn, "prueba_ciclo"));
    CicloSecuencial ciclo;
    ciclo.Tabla = "t";
    ciclo.Llave = "Id";
    ciclo.Condicion = "Par = 0";
    Registros rs;
    ASSERT_TRUE(ciclo.AbrirTabla(rs, cn, 40));
    EXPECT_EQ(ciclo.RegistrosTotales(), 125);
    EXPECT_LE(rs.RecordCount(), 40u);  // never the whole table at once
    std::vector<long long> vistos;
    while (!ciclo.Eof()) {
        EXPECT_EQ(ciclo.RegistroActual(), static_cast<long long>(vistos.size()) + 1);
        EXPECT_EQ(rs.Texto("Par"), "0");
        vistos.push_back(rs.Entero("Id"));
        ciclo.SiguienteRegistro();
    }
    ASSERT_EQ(vistos.size(), 125u);
    EXPECT_TRUE(std::is_sorted(vistos.begin(), vistos.end()));
    EXPECT_EQ(ciclo.Bloques(), 4);  // 40 + 40 + 40 + 5

    ciclo.Condicion = "Id > 1000";
    ASSERT_TRUE(ciclo.AbrirTabla(rs, cn, 40));
    EXPECT_TRUE(ciclo.Eof());
    EXPECT_EQ(ciclo.RegistrosTotales(), 0);
    ciclo.Tabla = "no_existe";
    EXPECT_FALSE(ciclo.AbrirTabla(rs, cn, 40));
    prueba::BorraBase(s, "prueba_ciclo");
}
