#include "ui/reporte_pdf.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <clocale>
#include <cstdlib>

#include "app/cls_de_inicio.h"
#include "cli/ventana_sin_ventana.h"
#include "core/shared_routines.h"

namespace cncui {

namespace {

QString H(const std::string& s) {
    QString t = QString::fromStdString(s).toHtmlEscaped();
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    t.replace('\n', "<br>");
    return t;
}

// "yyyy-mm-dd" as the store reads dates.
QString Fecha(const std::string& f) {
    if (f.size() < 10 || f.rfind("0000", 0) == 0) return {};
    return QString::fromStdString(f.substr(8, 2) + "/" + f.substr(5, 2) + "/" + f.substr(0, 4));
}

}  // namespace

bool EscribeReportePdf(const cnc::ReporteDeAvisos& r, const QString& ruta) {
    QString html;
    html += "<html><body style='font-family: sans-serif; font-size: 9pt;'>";
    html += "<h2 style='margin-bottom: 2px;'>" + H(r.titulo) + "</h2>";
    html += "<p style='margin-top: 0px;'>Empresa: <b>" + H(r.empresa) + "</b><br>" + H(r.filtro) +
            "<br>Impreso el " + H(r.impreso) + " &mdash; " + QString::number(r.renglones.size()) +
            (r.renglones.size() == 1 ? " aviso" : " avisos") + "</p>";
    html +=
        "<table width='100%' cellspacing='0' cellpadding='4' border='1' style='border-collapse: collapse; "
        "border-color: #999999;'>";
    // Fixed shares: the rich-text engine does not keep cells from wrapping, so each column gets the room its
    // widest value needs and the user the rest.
    html +=
        "<thead><tr style='background-color: #d9d9d9;'><th align='right' width='8%'>Folio</th>"
        "<th width='15%'>Fecha</th><th width='12%'>Hora</th><th align='right' width='7%'>Tipo</th>"
        "<th width='10%'>Leído</th><th width='15%'>Fecha leído</th><th width='12%'>Hora leído</th>"
        "<th>Usuario</th></tr></thead>";
    for (size_t i = 0; i < r.renglones.size(); ++i) {
        const auto& x = r.renglones[i];
        const QString fondo = i % 2 ? "#f2f2f2" : "#ffffff";
        html += "<tr style='background-color: " + fondo + ";'><td align='right'><b>" + QString::number(x.id) +
                "</b></td><td>" + Fecha(x.fecha) + "</td><td>" + H(x.hora) + "</td><td align='right'>" +
                QString::number(x.tipoAviso) + "</td><td>" + (x.leido ? QString::fromUtf8("Sí") : "No") +
                "</td><td>" + Fecha(x.fechaLeido) + "</td><td>" + H(x.horaLeido) + "</td><td>" +
                H(x.usuario) + "</td></tr>";
        html += "<tr style='background-color: " + fondo + ";'><td></td><td colspan='7'>" + H(x.texto) +
                "</td></tr>";
    }
    html += "</table>";
    if (r.renglones.empty()) html += "<p><i>No hay avisos con estas condiciones.</i></p>";
    html += "</body></html>";

    QPdfWriter pdf(ruta);
    if (!pdf.setPageSize(QPageSize(QPageSize::Letter))) return false;
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setTitle(QString::fromStdString(r.titulo));
    pdf.setCreator("concentrador");
    QTextDocument doc;
    doc.setHtml(html);
    doc.print(&pdf);
    return QFile(ruta).size() > 0;
}

int EjecutaReporte(const cnc::FiltroDeReporte& filtro, const std::string& ruta) {
    cnc::VentanaSinVentana ventana(false);
    cnc::PuertoVentana* anterior = cnc::Mod.Ventana;
    cnc::Mod.Ventana = &ventana;
    int estado = 1;
    cnc::ReporteDeAvisos r;
    std::string problema;
    if (!cnc::Mod.Acceso.LlaveLista()) {
        cnc::EscribeLinea(stderr, cnc::Nivel::Error,
                          "No se puede usar la llave del grupo: " + cnc::Mod.Acceso.Problema());
    } else if (!cnc::CargaConexionLocal(true)) {
        // Already told why.
    } else if (!cnc::clsImpresion().Lee(filtro, r, problema)) {
        cnc::EscribeLinea(stderr, cnc::Nivel::Error, problema);
    } else {
        // Fonts and the PDF need a GUI application, never a display.
        static int argc = 1;
        static char nombre[] = "concentrador";
        static char* argv[] = {nombre, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        setlocale(LC_NUMERIC, "C");
        if (EscribeReportePdf(r, QString::fromStdString(ruta))) {
            estado = 0;
        } else {
            cnc::EscribeLinea(stderr, cnc::Nivel::Error, "No se pudo escribir el reporte en " + ruta);
        }
    }
    cnc::Mod.Ventana = anterior;
    return estado;
}

}  // namespace cncui
