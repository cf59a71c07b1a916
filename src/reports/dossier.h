#pragma once

#include <QString>

class DossierContent;
class QPrinter;
class QWidget;

// A person's dossier on A4: identity, then each offence with its penalty in
// words, its accomplices and its articles; the register's name at the top of
// each page, the printing date and "Pagina N din M" at the foot.
namespace Dossier {

// The print preview, from which the operator prints or saves a PDF. One call,
// so any screen that knows a CNP can offer it.
void show(QWidget *parent, const QString &registerFile, const QString &cnp);

// A4 with the dossier's margins; a PDF goes to the documents folder by default.
void setUp(QPrinter *printer, const QString &cnp);
// Lays the content out so that no item is cut by a page break, and paints it.
void paint(const DossierContent &content, QPrinter *printer);

} // namespace Dossier
