#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "components/de_acceso.h"
#include "components/del_registro.h"
#include "components/utilerias.h"
#include "support/falsos.h"
#include "support/hostiles.h"

using namespace kvtx8;

TEST(Utilerias, NumbersVersionsAndTemplates) {
    EXPECT_EQ(kvVal("12abc"), 12);
    EXPECT_EQ(kvVal(" 1 2 3"), 123);
    EXPECT_EQ(kvVal("-3.5e2x"), -350);
    EXPECT_EQ(kvVal("abc"), 0);
    EXPECT_EQ(kvVal(""), 0);
    EXPECT_EQ(kvVal("&HFF"), 255);
    // Digits past what a long long holds give no number rather than an overflow.
    EXPECT_EQ(kvVal("&H7FFFFFFFFFFFFFFF"), 9223372036854775807.0);
    EXPECT_EQ(kvVal("&HFFFFFFFFFFFFFFFFFFFF"), 0);
    EXPECT_EQ(kvVal("&O7777777777777777777777777"), 0);
    EXPECT_EQ(ParteEntera(-3.9), -3);
    EXPECT_EQ(ParteEntera(-9223372036854775808.0), std::numeric_limits<long long>::min());
    EXPECT_EQ(ParteEntera(9223372036854775808.0), std::nullopt);
    EXPECT_EQ(ParteEntera(1e300), std::nullopt);
    EXPECT_EQ(ParteEntera(-1e300), std::nullopt);
    EXPECT_EQ(ParteEntera(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(ParteEntera(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(NumeroSQL(" 42 "), "42");
    EXPECT_EQ(NumeroSQL("1; DROP TABLE x"), "0");
    EXPECT_LT(VersionVB("5.19.1"), VersionVB("6.3.0"));
    EXPECT_LT(VersionVB("6.3.0"), VersionVB("6.10.0"));
    EXPECT_EQ(VersionVB("6.3"), VersionVB("6.3.0"));
    EXPECT_TRUE(EsVersion("6.3.0"));
    EXPECT_FALSE(EsVersion("seis"));
    EXPECT_FALSE(EsVersion("6..3"));
    EXPECT_EQ(CambXXX("empresas WHERE BaseDeDatos='XXX'", "datos1"), "empresas WHERE BaseDeDatos='datos1'");
    EXPECT_EQ(FechaSQL("31/12/2026"), "2026-12-31");
    EXPECT_EQ(FechaSQL("2024-02-30"), "");
    EXPECT_EQ(RutaDeArchivo("a\\b\\c.txt"), "a/b/");
    EXPECT_EQ(NombreDeArchivo("a\\b\\c.txt"), "c.txt");
    FechaHora f{2026, 3, 7, 9, 5, 4};
    EXPECT_EQ(Formato(f, "dd/mmm/yy hh:nn:ss"), "07/mar/26 09:05:04");
    EXPECT_EQ(Formato(f, "yyyy-mm-dd hh:mm:ss"), "2026-03-07 09:05:04");
    EXPECT_EQ(Formato(f, "dd/mmm/yyyy - hh:nn:ss"), "07/mar/2026 - 09:05:04");
    EXPECT_EQ(SumaSegundos({2026, 12, 31, 23, 59, 59}, 1), (FechaHora{2027, 1, 1, 0, 0, 0}));
}

TEST(Utilerias, ProfileFilesAndFolders) {
    prueba::CarpetaTemporal c;
    const std::string ini = c.Archivo("concentrador.ini");
    EXPECT_EQ(LeeIni("Configuración", "Minutos", ini), "");
    EXPECT_TRUE(EscribeIni("Configuración", "Minutos", "15", ini));
    EXPECT_TRUE(EscribeIni("Información", "Ultima conexión", "08/dic/2026 - 10:00:00", ini));
    EXPECT_EQ(LeeIni("Configuración", "Minutos", ini), "15");
    EXPECT_EQ(LeeIni("Información", "Ultima conexión", ini), "08/dic/2026 - 10:00:00");
    EXPECT_TRUE(HayArchivo(ini));
    EXPECT_TRUE(HayCarpeta(c.Ruta()));
    EXPECT_FALSE(HayArchivo(c.Ruta()));
    EXPECT_TRUE(BorraArchivo(ini));
    EXPECT_FALSE(HayArchivo(ini));
}

TEST(Cifrado, RoundTripsAndRefusesForeignOrTamperedForms) {
    DeAcceso a, otra("otra clave de grupo");
    for (int v = 1; v <= 4; ++v) {
        const std::string g = a.Encripta("servidor ñ'\\", v);
        EXPECT_EQ(a.DesEncripta(g, v), "servidor ñ'\\");
        EXPECT_EQ(a.DesEncripta(g, v == 4 ? 1 : v + 1), "");  // another variant
        EXPECT_TRUE(a.UltimoFallo());
        EXPECT_EQ(otra.DesEncripta(g, v), "");  // another group key
    }
    const std::string fila = a.Encripta("juan", std::string("AlE-77"));
    EXPECT_EQ(a.DesEncripta(fila, std::string("AlE-77")), "juan");
    EXPECT_EQ(a.DesEncripta(fila, std::string("AlE-78")), "");
    EXPECT_EQ(a.DesEncripta(a.Encripta("root")), "root");
    std::string danado = a.Encripta("clave", 3);
    danado[danado.size() / 2] = danado[danado.size() / 2] == 'A' ? 'B' : 'A';
    EXPECT_EQ(a.DesEncripta(danado, 3), "");
    EXPECT_EQ(a.DesEncripta("no es base64 ***", 3), "");
    EXPECT_EQ(a.DesEncripta("", 3), "");
    EXPECT_FALSE(a.UltimoFallo());
    EXPECT_EQ(a.DesEncripta(a.Encripta("", 2), 2), "");
}

TEST(Registro, StoresValuesAndFindsTheInstallation) {
    prueba::CarpetaTemporal c;
    DelRegistro r(c.Archivo("sub/registro.ini"));
    EXPECT_EQ(r.LeerCadena("Software\\Velnor\\Concentradores", "01_Ruta"), "");
    EXPECT_TRUE(r.GrabarCadena("Software\\Velnor\\Concentradores", "01_Ruta", "/opt/cnc"));
    EXPECT_EQ(r.LeerCadena("software\\velnor\\concentradores", "01_ruta"), "/opt/cnc");
    EXPECT_TRUE(r.GrabarCadena("Software\\Tarvena\\Instalaciones\\1", "Ruta", "/srv/Otra"));
    EXPECT_TRUE(r.GrabarCadena("Software\\Tarvena\\Instalaciones\\2", "Ruta", "/srv/TarvenaPremium/"));
    EXPECT_TRUE(r.GrabarCadena("Software\\Tarvena\\Instalaciones\\2", "MySQLServer", "127.0.0.1"));
    EXPECT_EQ(r.BuscarRegistroT8X("/SRV/tarvenapremium"), "Software\\Tarvena\\Instalaciones\\2");
    EXPECT_EQ(r.DatosT8X("MySQLServer"), "127.0.0.1");
    EXPECT_TRUE(r.GuardaDatosT8X("MySQLPuerto", "3306"));
    EXPECT_EQ(r.LeerCadena("Software\\Tarvena\\Instalaciones\\2", "MySQLPuerto"), "3306");
    EXPECT_EQ(r.BuscarRegistroT8X("/srv/nada"), "");
    EXPECT_FALSE(r.GuardaDatosT8X("MySQLPuerto", "1"));
    EXPECT_TRUE(r.BorrarValor("Software\\Velnor\\Concentradores", "01_Ruta"));
    EXPECT_EQ(r.LeerCadena("Software\\Velnor\\Concentradores", "01_Ruta"), "");
    EXPECT_FALSE(r.Danado());

    // A damaged file is reported and never replaced.
    c.Escribe("malo.ini", "[Software\\Velnor]\nesto no es una entrada\n");
    DelRegistro malo(c.Archivo("malo.ini"));
    EXPECT_TRUE(malo.Danado());
    EXPECT_NE(malo.Problema().find(c.Archivo("malo.ini")), std::string::npos);
    EXPECT_FALSE(malo.GrabarCadena("Software\\Velnor", "x", "1"));
    EXPECT_EQ(c.Lee("malo.ini"), "[Software\\Velnor]\nesto no es una entrada\n");
}

TEST(DatosHostiles, SettingsAndRegistryFilesGiveBackWhatWasWrittenOrRefuseIt) {
    prueba::CarpetaTemporal c;
    const std::string ini = c.Archivo("concentrador.ini");
    ASSERT_TRUE(EscribeIni("Configuración", "Otro", "igual", ini));
    DelRegistro r(c.Archivo("registro.ini"));
    ASSERT_TRUE(r.GrabarCadena("Software\\Velnor\\Concentradores", "Otro", "igual"));
    int guardados = 0;
    for (const std::string& h : prueba::Hostiles()) {
        SCOPED_TRACE(prueba::Muestra(h));
        if (EscribeIni("Configuración", "Valor", h, ini)) {
            ++guardados;
            EXPECT_EQ(LeeIni("Configuración", "Valor", ini), h);
        }
        EXPECT_EQ(LeeIni("Configuración", "Otro", ini), "igual");
        if (r.GrabarCadena("Software\\Velnor\\Concentradores", "Valor", h)) {
            ++guardados;
            EXPECT_EQ(DelRegistro(r.Archivo()).LeerCadena("Software\\Velnor\\Concentradores", "Valor"), h);
        }
        const DelRegistro otra(r.Archivo());
        EXPECT_FALSE(otra.Danado()) << otra.Problema();
        EXPECT_EQ(otra.LeerCadena("Software\\Velnor\\Concentradores", "Otro"), "igual");
    }
    EXPECT_GT(guardados, 100);
}
