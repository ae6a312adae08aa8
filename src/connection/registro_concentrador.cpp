#include "core/shared_routines.h"
#include "connection/cls_descargas.h"

namespace cnc {

namespace {

std::string Prefijo(int n) {
    return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10);
}

std::string ValorDescriptivo(int n) {
    return "*** Información para el concentrador " + std::to_string(n + 1) + " (sufijo '" + Prefijo(n) +
           "_') ***";
}

std::string CarpetaComparable(std::string c) {
    c = kvtx8::RutaLocal(kvtx8::Recorta(c));
    while (c.size() > 1 && c.back() == '/') c.pop_back();
    return kvtx8::Minusculas(c);
}

bool MismaCarpeta(const std::string& a, const std::string& b) {
    return CarpetaComparable(a) == CarpetaComparable(b);
}

// frmElegirEmpresa: the companies of the local general database, the current one highlighted.
void ElegirEmpresa() {
    std::vector<FilaEmpresa> filas;
    Conexion cn;
    if (AbreBase(Mod.BDLocal, cn, "")) {
        Registros rs;
        Mod.BDLocal.AbrirTabla(rs, cn, "empresas ORDER BY Id",
                               "LCASE(BaseDeDatos) AS BaseDeDatos,NombreComercial,Id");
        for (; !rs.Eof(); rs.MoveNext())
            filas.push_back({rs.Texto("BaseDeDatos"), rs.Texto("NombreComercial"), rs.Entero("Id")});
        rs.Cerrar();
        cn.Cerrar();
    }
    int actual = -1;
    const std::string base = kvtx8::Minusculas(Mod.BDLocal.cMiBase);
    for (size_t i = 0; i < filas.size(); ++i)
        if (filas[i].baseDeDatos == base) {
            actual = static_cast<int>(i);
            break;
        }
    Ventana().ElegirEmpresa(filas, actual);
}

}  // namespace

bool frmElegirEmpresa_cmdAceptar(const std::vector<FilaEmpresa>& filas, int elegida) {
    if (filas.empty()) return true;
    if (elegida < 0 || elegida >= static_cast<int>(filas.size())) {
        Ventana().Foco(Control::mfgReja);
        return false;
    }
    const FilaEmpresa& f = filas[elegida];
    if (!Pregunta("¿Es correcta la empresa elegida?\r\n(" + f.empresa + ")", "Empresa", true)) {
        Ventana().Foco(Control::mfgReja);
        return false;
    }
    Mod.BDLocal.cMiBase = f.baseDeDatos;
    kvtx8::EscribeIni("Configuración", "Base de datos principal", f.baseDeDatos, Mod.ArchivoIni);
    return true;
}

void clsDescargas::RegistrarConcentrador() {
    Mod.Prefijo.clear();
    // A prefix freed below this folder's own (a removed duplicate) must not make it register again.
    for (int n = 0; n <= 99; ++n) {
        const std::string ruta = LeeRegistro(Prefijo(n) + "_Ruta");
        if (!ruta.empty() && MismaCarpeta(ruta, Mod.Carpeta)) {
            Mod.Prefijo = Prefijo(n);
            return;
        }
    }
    for (int n = 0; n <= 99; ++n) {
        const std::string nn = Prefijo(n);
        const std::string ruta = LeeRegistro(nn + "_Ruta");
        if (ruta.empty()) {
            if (!Pregunta("¿Desea registrar este Concentrador Cliente, en la ruta actual?\r\n(" +
                              Mod.Carpeta +
                              ")\r\nEl registro es necesario para que funcione correctamente el programa",
                          "Registrar concentrador", true))
                return;
            ElegirEmpresa();
            GrabaRegistro(ValorDescriptivo(n), nn);
            // A registration that cannot be written would be taken again on every start.
            if (!Mod.Registro.GrabarCadena(kLlaveRegistro, nn + "_Ruta", Mod.Carpeta)) {
                Ventana().MensajeSimple("No se pudo registrar este concentrador en " +
                                            Mod.Registro.Archivo() +
                                            (Mod.Registro.Danado() ? ": " + Mod.Registro.Problema() : ""),
                                        kCritico, "Registrar concentrador");
                return;
            }
            Mod.Prefijo = nn;
            GrabaBaseDeDatos();
            GrabaRegistro(nn + "_UltimoEnvio", "Aún no se completa");
            GrabaRegistro(nn + "_Correcto", "S");
            return;
        }
        if (MismaCarpeta(ruta, Mod.Carpeta)) {
            Mod.Prefijo = nn;
            return;
        }
    }
}

void clsDescargas::EmpresaCorrecta(bool& correcto) {
    correcto = true;
    const std::string base = Mod.BDLocal.cMiBase;
    for (int n = 0; n <= 99; ++n) {
        const std::string nn = Prefijo(n);
        const std::string ruta = LeeRegistro(nn + "_Ruta");
        if (ruta.empty()) continue;
        // Database names are compared exactly: on these servers "Datos1" and "datos1" are two databases.
        if (LeeRegistro(nn + "_BaseDeDatos") != base || MismaCarpeta(ruta, Mod.Carpeta)) continue;
        Ventana().Bip();
        if (!Pregunta("El concentrador " + nn + ", registrado en la ruta '" + ruta +
                          "', conecta a la misma base de datos que el actual (" + base +
                          ").\r\n¿Desea borrarlo del registro y dejar este programa como activo?",
                      "Advertencia", true)) {
            MensajeSkn("Usted decidió dejar activo el otro concentrador. Este programa se cerrará.", 80,
                       "Atención", 10);
            correcto = false;
            break;
        }
        for (const std::string& v :
             {ValorDescriptivo(n), nn + "_BaseDeDatos", nn + "_Correcto", nn + "_Ruta", nn + "_UltimoEnvio"})
            Mod.Registro.BorrarValor(kLlaveRegistro, v);
    }
    GrabaRegistro(Mod.Prefijo + "_Correcto", correcto ? "S" : "N");
}

void clsDescargas::GrabaBaseDeDatos() {
    GrabaRegistro(Mod.Prefijo + "_BaseDeDatos", Mod.BDLocal.cMiBase);
}

}  // namespace cnc
