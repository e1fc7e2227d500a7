#include <QApplication>
#include <QIcon>

#include "kelvara_version.h"
#include "platform/qt_services.h"
#include "platform/qt_translations.h"
#include "ui/main/frm_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvara::platform::installQtChineseTranslations(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvara/kelvara.png")));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kelvara::version::kAppId));

    kelvara::platform::QtServices services;
    kelvara::ui::FrmMain window(services);
    services.setMainWindow(&window);
    window.show();
    return QApplication::exec();
}
