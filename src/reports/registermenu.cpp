#include "registermenu.h"

#include "dossier.h"
#include "outputactions.h"
#include "statisticswindow.h"

#include <QMenuBar>

namespace RegisterMenu {

namespace {

void addRegisterMenu(QMenuBar *bar, QWidget *window, const QString &registerFile)
{
    QMenu *menu = bar->addMenu(QStringLiteral("&Registru"));
    menu->setObjectName(QStringLiteral("RegisterMenu"));
    QAction *statistics = menu->addAction(QStringLiteral("&Statistici"), window,
                                          [window, registerFile] {
                                              StatisticsWindow::run(window, registerFile);
                                          });
    statistics->setObjectName(QStringLiteral("StatisticsAction"));
    QAction *backup = menu->addAction(QStringLiteral("&Copie de siguranță..."), window,
                                      [window, registerFile] {
                                          OutputActions::backUp(window, registerFile);
                                      });
    backup->setObjectName(QStringLiteral("BackupAction"));
    QAction *csv = menu->addAction(QStringLiteral("&Exportă registrul în CSV..."), window,
                                   [window, registerFile] {
                                       OutputActions::exportRegister(window, registerFile);
                                   });
    csv->setObjectName(QStringLiteral("ExportRegisterAction"));
}

} // namespace

QMenuBar *addMenuBar(QWidget *window, const QString &registerFile)
{
    auto *bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setNativeMenuBar(false); // it takes room in the window whatever the desktop
    addRegisterMenu(bar, window, registerFile);
    const int height = bar->sizeHint().height();
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != bar && !child->isWindow())
            child->move(child->x(), child->y() + height);
    }
    window->resize(window->width(), window->height() + height);
    bar->setGeometry(0, 0, window->width(), height);
    return bar;
}

void addListMenu(QMenuBar *bar, QWidget *window, const QString &registerFile,
                 const ListSource &list)
{
    QMenu *menu = bar->addMenu(QStringLiteral("&Listă"));
    menu->setObjectName(QStringLiteral("ListMenu"));
    QAction *csv = menu->addAction(QStringLiteral("&Exportă lista în CSV..."), window,
                                   [window, registerFile, list] {
                                       OutputActions::exportList(window, registerFile,
                                                                 list.recordSource(),
                                                                 list.fileStem);
                                   });
    csv->setObjectName(QStringLiteral("ExportListAction"));
    if (!list.personCnp)
        return;
    QAction *dossier = menu->addAction(QStringLiteral("&Dosarul persoanei..."), window,
                                       [window, registerFile, list] {
                                           const QString cnp = list.personCnp();
                                           if (!cnp.isEmpty())
                                               Dossier::show(window, registerFile, cnp);
                                       });
    dossier->setObjectName(QStringLiteral("DossierAction"));
    dossier->setShortcut(QKeySequence::Print);
}

} // namespace RegisterMenu
