#include <gtest/gtest.h>

#include <clocale>

#include "components/bases_dd.h"
#include "components/transaccion.h"
#include "components/utilerias.h"
#include "support/servidores.h"

using namespace kvtx8;

namespace {

class BasesDDTest : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIERE_SERVIDORES();
        s = prueba::ServidorLocal();
        prueba::CreaBase(s, "prueba_bdd");
        prueba::EjecutaSQL(
            s, "prueba_bdd",
            "CREATE TABLE clientes (Id INT AUTO_INCREMENT PRIMARY KEY, Clave VARCHAR(40) NOT NULL,"
            " Sucursal INT NOT NULL DEFAULT 0, Nombre VARCHAR(80), Saldo DECIMAL(12,2),"
            " Alta DATE, FADUA DATETIME, Nota TEXT, Firma BLOB,"
            " UNIQUE KEY uk (Clave, Sucursal));"
            "CREATE TABLE libre (Clave VARCHAR(10), Valor INT);"
            "CREATE TABLE configuracion (Dato VARCHAR(60) PRIMARY KEY, Contenido TEXT,"
            " Tipo CHAR(1), Descripcion VARCHAR(120));"
            "INSERT INTO clientes (Clave, Nombre) VALUES ('A1','Uno'),('B2','Dos'),('C3','Tres');");
        prueba::Configura(bd, s, "prueba_bdd");
        ASSERT_TRUE(bd.AbrirBdD(cn, "prueba_bdd"));
    }
    void TearDown() override {
        if (prueba::HayServidores()) prueba::BorraBase(s, "prueba_bdd");
    }
    prueba::Servidor s;
    BasesDD bd;
    Conexion cn;
};

TEST_F(BasesDDTest, ReadsAddsAndUpdatesThroughRecordSets) {
    Registros rs;
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes WHERE Id=-9"));
    EXPECT_TRUE(rs.Eof());
    rs.AddNew();
    rs.Poner("clave", "D4");  // field names are case-insensitive
    rs.Poner("Nombre", std::nullopt);
    ASSERT_TRUE(rs.Update()) << rs.Error();
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Texto("Id"), "4");  // the new row is current, with its server-given key
    EXPECT_EQ(bd.LastId(cn, "clientes", "Id"), 4);
    EXPECT_EQ(bd.IdMaximo(cn, "clientes", "Id"), 4);

    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes ORDER BY Id", "Id,Clave,Nombre"));
    std::vector<std::string> claves;
    for (; !rs.Eof(); rs.MoveNext()) claves.push_back(rs.Texto("Clave"));
    EXPECT_EQ(claves, (std::vector<std::string>{"A1", "B2", "C3", "D4"}));

    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes WHERE Clave='B2'"));
    rs.Poner("Nombre", "Dos bis");
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT Nombre FROM clientes WHERE Id=2"), "Dos bis");
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT COUNT(*) FROM clientes WHERE Nombre='Dos bis'"), "1");

    // A table without primary key is updated by the row's old values, one row only.
    ASSERT_TRUE(bd.Executar(cn, "INSERT INTO libre VALUES ('x',1),('x',1)"));
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "libre"));
    rs.Poner("Valor", "2");
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT SUM(Valor) FROM libre"), "3");

    // A failing statement is reported, not thrown.
    EXPECT_FALSE(bd.Executar(cn, "INSERT INTO no_existe VALUES (1)"));
    EXPECT_FALSE(cn.MensajeError().empty());
    EXPECT_TRUE(cn.Abierta());
}

TEST_F(BasesDDTest, ReportsTypeCodesOfTheRecordSetLayer) {
    Registros rs;
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes LIMIT 0"));
    EXPECT_EQ(rs.Tipo("Id"), adInteger);
    EXPECT_EQ(rs.Tipo("Clave"), adVarChar);
    EXPECT_EQ(rs.Tipo("Saldo"), adNumeric);
    EXPECT_EQ(rs.Tipo("Alta"), adDBDate);
    EXPECT_EQ(rs.Tipo("FADUA"), adDBTimeStamp);
    EXPECT_EQ(rs.Tipo("Nota"), adLongVarChar);
    EXPECT_EQ(rs.Tipo("Firma"), adLongVarBinary);
    EXPECT_EQ(bd.AutoIncremental("clientes", cn), "Id");
    EXPECT_EQ(bd.AutoIncremental("libre", cn), "");
    EXPECT_TRUE(bd.HayTabla("clientes", cn));
    EXPECT_TRUE(bd.HayTabla({"prueba_bdd", "libre"}, cn));
    EXPECT_FALSE(bd.HayTabla("nada", cn));
}

TEST_F(BasesDDTest, HostileKeysAreStoredAndFoundAsTheyStand) {
    const std::vector<std::string> claves = {"O'Brien\\", "x' OR '1'='1", "ñandú"};
    Registros rs;
    for (const auto& c : claves) {
        ASSERT_TRUE(bd.AgregaRegistro(rs, cn, "clientes", {"Clave", "Nombre"}, {c, "n"}))
            << cn.MensajeError();
    }
    for (const auto& c : claves) {
        ASSERT_TRUE(bd.AbrirTabla(rs, cn, CambXXXSQL("clientes WHERE Clave='XXX'", c, cn)));
        ASSERT_FALSE(rs.Eof()) << c;
        EXPECT_EQ(rs.Texto("Clave"), c);
        rs.MoveNext();
        EXPECT_TRUE(rs.Eof());
        ASSERT_TRUE(bd.ActualizaRegistro(rs, cn, "clientes", {"Nombre"}, {"cambiado " + c},
                                         CambXXXSQL("Clave='XXX'", c, cn)));
        EXPECT_EQ(cn.FilasAfectadas(), 1u);
    }
    // Only the three rows changed; the injection text matched nothing else.
    EXPECT_EQ(
        prueba::Consulta(s, "prueba_bdd", "SELECT COUNT(*) FROM clientes WHERE Nombre LIKE 'cambiado%'"),
        "3");
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT Nombre FROM clientes WHERE Clave='A1'"), "Uno");

    // Key-value settings with the same values.
    EXPECT_TRUE(bd.IniciaDato("x' OR '1'='1", "O'Brien\\", "C", "ñandú", cn));
    EXPECT_TRUE(bd.IniciaDato("x' OR '1'='1", "otro", "C", "no pisa", cn));
    EXPECT_EQ(bd.LeeDato("x' OR '1'='1", cn), "O'Brien\\");
    EXPECT_TRUE(bd.GrabaDato("x' OR '1'='1", "ñandú", cn));
    EXPECT_EQ(bd.LeeDato("x' OR '1'='1", cn), "ñandú");
    EXPECT_TRUE(bd.GrabaDato("nuevo", "1", cn));
    EXPECT_EQ(bd.LeeDato("nuevo", cn), "1");
    EXPECT_EQ(bd.LeeDato("falta", cn), "");
}

TEST_F(BasesDDTest, UniqueKeysAndRowCopies) {
    ConcentradorBasesDD llaves;
    std::vector<std::string> cols;
    ASSERT_TRUE(llaves.ObtenerLlaveUnica(cn, "clientes", cols));
    EXPECT_EQ(cols, (std::vector<std::string>{"Clave", "Sucursal"}));
    Registros rs;
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes WHERE Id=1"));
    EXPECT_EQ(llaves.CadenaLlaveUnica(rs, cols, cn), "`Clave` = 'A1' AND `Sucursal` = '0'");
    std::vector<std::string> sin;
    ASSERT_TRUE(llaves.ObtenerLlaveUnica(cn, "libre", sin));
    EXPECT_TRUE(sin.empty());
    EXPECT_EQ(llaves.CadenaLlaveUnica(rs, sin, cn), "");

    // CopiaRecordset copies every shared field but the one left out.
    Registros nuevo;
    ASSERT_TRUE(bd.AbrirTabla(nuevo, cn, "clientes LIMIT 0"));
    std::vector<std::string> lista;
    bd.ObtenerEstructura(rs, nuevo, lista);
    EXPECT_EQ(lista.size(), 9u);
    ASSERT_TRUE(bd.Executar(cn, "DELETE FROM clientes WHERE Id=1"));
    nuevo.AddNew();
    ASSERT_TRUE(bd.CopiaRecordset(nuevo, rs, "id")) << nuevo.Error();
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT CONCAT(Id,Nombre) FROM clientes WHERE Clave='A1'"),
              "4Uno");
    nuevo.AddNew();
    bd.PasaCampo("Nombre", rs, nuevo);
    nuevo.Poner("Clave", "E5");
    ASSERT_TRUE(nuevo.Update());
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT Nombre FROM clientes WHERE Clave='E5'"), "Uno");
    EXPECT_EQ(BasesDD::NoNull(std::nullopt), "");
}

TEST_F(BasesDDTest, NamesWithDotsAndBackQuotesAreOneName) {
    const std::string raro = "raro.nombre`x";
    prueba::EjecutaSQL(s, "prueba_bdd",
                       "CREATE TABLE `raro.nombre``x` (Id INT AUTO_INCREMENT PRIMARY KEY,"
                       " Dato VARCHAR(60) UNIQUE, Contenido TEXT, Tipo CHAR(1), Descripcion VARCHAR(120));"
                       "CREATE TABLE raro (Id INT)");
    EXPECT_TRUE(bd.HayTabla(raro, cn));
    EXPECT_TRUE(bd.HayTabla({"prueba_bdd", raro}, cn));
    EXPECT_FALSE(bd.HayTabla(std::string("prueba_bdd.libre"), cn));  // a name from data is never split
    EXPECT_EQ(bd.AutoIncremental(raro, cn), "Id");
    ConcentradorBasesDD llaves;
    std::vector<std::string> cols;
    ASSERT_TRUE(llaves.ObtenerLlaveUnica(cn, raro, cols));
    EXPECT_EQ(cols, (std::vector<std::string>{"Dato"}));

    EXPECT_TRUE(bd.IniciaDato("a", "1", "N", "uno", cn, raro));
    EXPECT_TRUE(bd.GrabaDato("b", "2", cn, raro));
    EXPECT_EQ(bd.LeeDato("b", cn, raro), "2");
    Registros rs;
    ASSERT_TRUE(bd.AgregaRegistro(rs, cn, raro, {"Dato", "Contenido"}, {"c", "3"})) << cn.MensajeError();
    ASSERT_TRUE(bd.ActualizaRegistro(rs, cn, {"prueba_bdd", raro}, {"Contenido"}, {"tres"}, "Dato='c'"));
    EXPECT_EQ(bd.IdMaximo(cn, raro, "Id"), 3);

    // A record set of that table writes back to it, in its own database.
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "`prueba_bdd`.`raro.nombre``x` WHERE Dato='a'"));
    rs.Poner("Contenido", "uno bis");
    ASSERT_TRUE(rs.Update()) << rs.Error();
    EXPECT_EQ(
        prueba::Consulta(s, "prueba_bdd", "SELECT GROUP_CONCAT(Contenido ORDER BY Id) FROM `raro.nombre``x`"),
        "uno bis,2,tres");
    EXPECT_EQ(prueba::Consulta(s, "prueba_bdd", "SELECT COUNT(*) FROM raro"), "0");
}

TEST_F(BasesDDTest, OpeningChecksThePortAndTheSessionMode) {
    // Cut to 16 bits this would be the server's own port: it must not be reached.
    BasesDD otra;
    prueba::Configura(otra, s);
    otra.cPuerto = std::to_string(65536 + std::stoi(s.puerto));
    Conexion c;
    EXPECT_FALSE(otra.AbrirBdD(c, "prueba_bdd"));
    EXPECT_FALSE(c.Abierta());
    EXPECT_NE(c.MensajeError().find("puerto"), std::string::npos) << c.MensajeError();
    otra.cPuerto = " " + s.puerto + " ";
    EXPECT_TRUE(otra.AbrirBdD(c, "prueba_bdd")) << c.MensajeError();

    // Every opening sets the session's SQL mode; a server that refuses it gives no connection. This user
    // may run one statement an hour: the first opening spends it.
    EXPECT_EQ(c.Escalar("SELECT @@SESSION.sql_mode"), "NO_ENGINE_SUBSTITUTION");
    const std::string usuario = "'cnc_limitado'@'%'";
    prueba::EjecutaSQL(
        s, "",
        "DROP USER IF EXISTS " + usuario + "; CREATE USER " + usuario +
            " IDENTIFIED BY 'x' WITH MAX_QUERIES_PER_HOUR 1; GRANT SELECT ON prueba_bdd.* TO " + usuario +
            "; FLUSH USER_RESOURCES");
    otra.cUsuario = "cnc_limitado";
    otra.cPassword = "x";
    Conexion primera, segunda;
    const bool abrio = otra.AbrirBdD(primera, "prueba_bdd");
    const bool abrioOtraVez = otra.AbrirBdD(segunda, "prueba_bdd");
    prueba::EjecutaSQL(s, "", "DROP USER " + usuario);
    EXPECT_TRUE(abrio) << primera.MensajeError();
    EXPECT_FALSE(abrioOtraVez);
    EXPECT_FALSE(segunda.Abierta());
    EXPECT_NE(segunda.MensajeError().find("modo SQL"), std::string::npos) << segunda.MensajeError();
}

// The window program runs in the desktop's locale; in Spanish the decimal separator is a comma.
TEST_F(BasesDDTest, NumbersReadTheSameUnderADecimalCommaLocale) {
    const std::string antes = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "es_ES.UTF-8"))
        GTEST_SKIP() << "no está la configuración regional es_ES.UTF-8 (scripts/test la genera como root)";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    ASSERT_TRUE(bd.Executar(cn, "UPDATE clientes SET Saldo=1234.56 WHERE Id=2"));
    Registros rs;
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes WHERE Id=2", "Saldo"));
    const std::string saldo = rs.Texto("Saldo");
    const double numero = rs.Numero("Saldo");
    const double val = kvVal(" -0.5e1 "), basic = kvVal("2.5d2");
    const bool esNumero = EsNumerico("1234.56"), conComa = EsNumerico("1234,56");
    const std::string decimal = NumeroDecimalSQL(saldo);
    std::setlocale(LC_ALL, antes.c_str());

    EXPECT_EQ(saldo, "1234.56");
    EXPECT_DOUBLE_EQ(numero, 1234.56);
    EXPECT_DOUBLE_EQ(val, -5);
    EXPECT_DOUBLE_EQ(basic, 250);
    EXPECT_TRUE(esNumero);
    EXPECT_FALSE(conComa);
    EXPECT_EQ(decimal, "1234.56");
}

TEST_F(BasesDDTest, LostConnectionFailsAndTheNextOpeningReconnects) {
    const std::string id = *cn.Escalar("SELECT CONNECTION_ID()");
    prueba::EjecutaSQL(s, "", "KILL " + id);
    EXPECT_FALSE(bd.Executar(cn, "UPDATE clientes SET Nombre='z'"));
    EXPECT_FALSE(cn.Abierta());
    ASSERT_TRUE(bd.AbrirBdD(cn, "prueba_bdd"));
    EXPECT_NE(*cn.Escalar("SELECT CONNECTION_ID()"), id);
    // An open connection opened again is kept; another name switches the database.
    bd.cBaseGeneral = "mysql";
    ASSERT_TRUE(bd.AbrirBdD(cn, ""));
    EXPECT_EQ(cn.Base(), "mysql");
    EXPECT_EQ(*cn.Escalar("SELECT DATABASE()"), "mysql");
    EXPECT_FALSE(bd.AbrirBdD(cn, "no_hay_tal_base"));

    // Lost inside a unit: not opened again until the unit ends, so nothing after the loss is written
    // outside it and reported confirmed.
    ASSERT_TRUE(bd.AbrirBdD(cn, "prueba_bdd"));
    {
        Transaccion t(cn);
        ASSERT_TRUE(t.Activa());
        ASSERT_TRUE(cn.Ejecutar("INSERT INTO libre (Clave, Valor) VALUES ('antes', 1)"));
        prueba::EjecutaSQL(s, "", "KILL " + *cn.Escalar("SELECT CONNECTION_ID()"));
        EXPECT_FALSE(cn.Ejecutar("INSERT INTO libre (Clave, Valor) VALUES ('perdido', 2)"));
        EXPECT_FALSE(bd.AbrirBdD(cn, "prueba_bdd"));
        EXPECT_FALSE(cn.Ejecutar("INSERT INTO libre (Clave, Valor) VALUES ('despues', 3)"));
        EXPECT_FALSE(t.Confirma());
    }
    ASSERT_TRUE(bd.AbrirBdD(cn, "prueba_bdd"));
    EXPECT_FALSE(cn.Escalar("SELECT Clave FROM libre"));
}

}  // namespace

TEST_F(BasesDDTest, SeveralStatementsInOneExchangeStopAtTheFirstRefusedAndOnlyThere) {
    size_t hechas = 99;
    EXPECT_TRUE(
        cn.EjecutarVarias("UPDATE libre SET Valor=1;INSERT INTO libre VALUES ('x;y',2);"
                          "SELECT 1;INSERT INTO libre VALUES ('z',3);",
                          &hechas));
    EXPECT_EQ(hechas, 4u);
    // The third is refused: the first two stay, the fourth never runs, and the error is the third's.
    EXPECT_FALSE(
        cn.EjecutarVarias("INSERT INTO libre VALUES ('a',4);INSERT INTO libre VALUES ('b',5);"
                          "INSERT INTO clientes (Clave) VALUES ('A1');INSERT INTO libre VALUES ('c',6);",
                          &hechas));
    EXPECT_EQ(hechas, 2u);
    EXPECT_NE(cn.MensajeError().find("Duplicate entry"), std::string::npos) << cn.MensajeError();
    EXPECT_EQ(cn.Escalar("SELECT GROUP_CONCAT(Clave ORDER BY Valor) FROM libre"), Valor("x;y,z,a,b"));
    // Afterwards one text is one statement again: a second one is refused, not run.
    EXPECT_FALSE(cn.Ejecutar("INSERT INTO libre VALUES ('d',7);INSERT INTO libre VALUES ('e',8)"));
    EXPECT_EQ(cn.Escalar("SELECT COUNT(*) FROM libre"), Valor("4"));

    // A record set moves back and forth among the rows it read.
    Registros rs;
    ASSERT_TRUE(bd.AbrirTabla(rs, cn, "clientes ORDER BY Id"));
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_EQ(rs.Posicion(), 2u);
    rs.IrA(0);
    EXPECT_EQ(rs.Texto("Clave"), "A1");
    rs.IrA(9);
    EXPECT_TRUE(rs.Eof());
}
