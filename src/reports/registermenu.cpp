#include "registermenu.h"

#include "dossier.h"
#include "historywindow.h"
#include "outputactions.h"
#include "statisticswindow.h"

#include "data/database.h"
#include "screens/common/menubar.h"
#include "widgets/datacontrol.h"

#include <QMenu>

namespace RegisterMenu {

namespace {

// What reads the register file itself is not ported to the server yet; the
// commands stay in the menu, saying so.
void fileOnly(QAction *action, const QString &registerFile)
{
    if (!Database::onServer(registerFile))
        return;
    action->setEnabled(false);
    action->setToolTip(QStringLiteral("Nu este încă disponibilă pentru registrul de pe "
                                      "server; copiile de siguranță se fac acolo, cu "
                                      "pg_dump."));
}

} // namespace

void addRegisterCommands(QWidget *window, const QString &registerFile)
{
    QMenu *menu = ScreenMenu::menu(window, QStringLiteral("&Registru"));
    menu->setObjectName(QStringLiteral("RegisterMenu"));
    menu->addAction(QStringLiteral("&Statistici"), window, [window, registerFile] {
            StatisticsWindow::run(window, registerFile);
        })->setObjectName(QStringLiteral("StatisticsAction"));
    menu->addAction(QStringLiteral("&Copie de siguranță..."), window, [window, registerFile] {
            OutputActions::backUp(window, registerFile);
        })->setObjectName(QStringLiteral("BackupAction"));
    menu->addAction(QStringLiteral("&Exportă registrul în CSV..."), window,
                    [window, registerFile] {
                        OutputActions::exportRegister(window, registerFile);
                    })
        ->setObjectName(QStringLiteral("ExportRegisterAction"));
    for (QAction *action : menu->actions())
        fileOnly(action, registerFile);
}

void addListCommands(QWidget *window, DataControl *data, const QString &fileStem,
                     const std::function<QString()> &personCnp,
                     const std::function<PersonSearch::Order()> &order)
{
    QMenu *menu = ScreenMenu::menu(window, QStringLiteral("&Listă"));
    menu->setObjectName(QStringLiteral("ListMenu"));
    menu->addAction(QStringLiteral("&Exportă lista în CSV..."), window,
                    [window, data, fileStem, order] {
                        OutputActions::exportList(window, data->databaseName(),
                                                  data->recordSource(),
                                                  order ? order() : PersonSearch::Order(),
                                                  fileStem);
                    })
        ->setObjectName(QStringLiteral("ExportListAction"));
    fileOnly(menu->actions().constLast(), data->databaseName());
    if (!personCnp)
        return;
    QAction *dossier = menu->addAction(QStringLiteral("&Dosarul persoanei..."), window,
                                       [window, data, personCnp] {
                                           const QString cnp = personCnp();
                                           if (!cnp.isEmpty())
                                               Dossier::show(window, data->databaseName(), cnp);
                                       });
    dossier->setObjectName(QStringLiteral("DossierAction"));
    dossier->setShortcut(QKeySequence::Print);
    QAction *history = menu->addAction(QStringLiteral("&Istoric..."), window,
                                       [window, data, personCnp] {
                                           const QString cnp = personCnp();
                                           if (!cnp.isEmpty())
                                               HistoryWindow::run(window, data->databaseName(),
                                                                  cnp);
                                       });
    history->setObjectName(QStringLiteral("HistoryAction"));
    history->setShortcut(Qt::CTRL | Qt::Key_H);
    fileOnly(dossier, data->databaseName());
}

} // namespace RegisterMenu
