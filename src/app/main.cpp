#include <QApplication>
#include <QIcon>

#include "draw/draw_engine.h"
#include "kelvara_version.h"
#include "output/results_output.h"
#include "platform/qt_services.h"
#include "platform/qt_sound_player.h"
#include "platform/qt_translations.h"
#include "ui/main/frm_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvara::platform::installQtChineseTranslations(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvara/kelvara.png")));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kelvara::version::kAppId));

    kelvara::platform::QtServices services;
    kelvara::draw::DrawEngine engine(kelvara::draw::drawServicesOf(services));
    kelvara::output::ResultsOutput output(services, services, services);
    const auto sound = kelvara::platform::makeSoundPlayer(services.appData().directory);
    kelvara::ui::FrmMain window(services, engine, output, sound.get());
    services.setMainWindow(&window);
    window.show();
    return QApplication::exec();
}
