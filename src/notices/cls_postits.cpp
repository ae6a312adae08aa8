#include "notices/cls_postits.h"

#include <fstream>

#include "components/fecha.h"
#include "components/utilerias.h"
#include "core/shared_routines.h"

namespace cnc {

namespace {

constexpr int kModulos = 600;  // one character per module in the rights string

}  // namespace

std::string TituloDeAviso(const AvisoGuardado& a) {
    std::string fecha;
    if (auto f = kvtx8::LeeFecha(a.Fecha)) fecha = kvtx8::Formato(*f, "dd/mmm/yy");
    return kvtx8::CambXXX("(XXX)", std::to_string(a.Id)) + " " + fecha + " - " + a.Hora;
}

void clsPostits::DescargarPostIts() {
    Ventana().CierraAvisos();
}

void clsPostits::LeerPostits() {
    DescargarPostIts();
    if (!AvisosManejados()) return;
    Conexion cn;
    if (!AbreBase(Mod.BDLocal, cn, "")) return;
    const int cuantos = Mod.AvisosAMostrar;
    if (cuantos > 0) {
        std::vector<AvisoGuardado> avisos;
        if (LeeAvisosNoLeidos(cn, cuantos, avisos)) {
            for (const auto& a : avisos) {
                NotaDeAviso n;
                n.id = a.Id;
                n.titulo = TituloDeAviso(a);
                n.texto = a.ElTexto;
                n.x = a.x, n.y = a.y, n.w = a.W, n.h = a.H;
                n.color = a.Color;
                Ventana().AbreAviso(n);
            }
            Ventana().Habilitado(Control::Command6, Ventana().AvisosAbiertos() > 0);
        }
    } else {
        MarcaAvisosLeidos(cn);
        // No window opens: "&Ocultar avisos" stays off, as it is whenever none is open.
        Ventana().Habilitado(Control::Command6, false);
    }
    cn.Cerrar();
}

bool clsPostits::FirmarUsuario(std::string& usuario, bool& aceptado) {
    usuario.clear();
    aceptado = Ventana().FirmaDeUsuario(kModuloFirmaDeAvisos, usuario);
    if (!aceptado) usuario.clear();
    return aceptado;
}

bool frmPostit_cmdFirmar(long long id) {
    std::string usuario;
    bool aceptado = false;
    if (!clsPostits::FirmarUsuario(usuario, aceptado)) return false;
    if (!Pregunta(
            kvtx8::CambXXX("Confirme si desea firmar este aviso como leido, por el usuario 'XXX'", usuario),
            "Firmar aviso", false))
        return false;
    Conexion cn;
    const bool firmado = FirmaAviso(cn, id, usuario);
    cn.Cerrar();
    return firmado;
}

void frmPostit_Unload(long long id, int x, int y, int w, int h, long long color) {
    Conexion cn;
    GuardaLugarDeAviso(cn, id, x, y, w, h, color);
    cn.Cerrar();
    if (Ventana().AvisosAbiertos() == 0) Ventana().Habilitado(Control::Command6, false);
}

std::string frmPostit_Command3(long long id, const std::string& texto) {
    const std::string ruta = EnCarpeta("/Aviso " + std::to_string(id) + ".txt");
    {
        std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
        f << texto;
        if (!f.flush()) {
            MensajeSkn("No se pudo crear el archivo:\r\n" + ruta, kCritico, "Atención");
            return {};
        }
    }
    MensajeSkn("Archivo creado:\r\n" + ruta, kInformacion, "Atención");
    Ventana().AbreDocumento(ruta);
    return ruta;
}

bool frmPideUsuario_cmdAceptar(const std::string& usuario, const std::string& codigo, int modulo) {
    const std::string u = kvtx8::Recorta(usuario), c = kvtx8::Recorta(codigo);
    std::string mensaje = "Datos de usuario incorrectos";
    bool aceptado = false;
    Conexion cn;
    if (AbreBase(Mod.BDLocal, cn, "")) {
        Registros rs;
        if (Mod.BDLocal.AbrirTabla(rs, cn, "usuarios ORDER BY Id")) {
            for (; !rs.Eof(); rs.MoveNext()) {
                const std::string ale = rs.Texto("AlE");
                if (kvtx8::Recorta(Mod.Acceso.DesEncripta(rs.Texto("Usuario"), ale)) != u ||
                    kvtx8::Recorta(Mod.Acceso.DesEncripta(rs.Texto("Codigo"), ale)) != c)
                    continue;
                const std::string derechos = rs.Entero("Id") == 1
                                                 ? std::string(kModulos, 'S')
                                                 : Mod.Acceso.DesEncripta(rs.Texto("Modulos1"), ale) +
                                                       Mod.Acceso.DesEncripta(rs.Texto("Modulos2"), ale) +
                                                       Mod.Acceso.DesEncripta(rs.Texto("Modulos3"), ale);
                aceptado = modulo >= 1 && static_cast<size_t>(modulo) <= derechos.size() &&
                           derechos[modulo - 1] == 'S';
                if (!aceptado)
                    mensaje =
                        "Sus atributos como usuario no le permiten realizar esta acción, "
                        "o entrar a este módulo";
                break;
            }
        }
        Mod.BDLocal.CierraTabla(rs);
        cn.Cerrar();
    }
    if (!aceptado) MensajeSkn(mensaje, kCritico, "Error");
    return aceptado;
}

}  // namespace cnc
