#pragma once

#include <QPushButton>
#include <QtGlobal>
#include <string>

#include "ui/main_window_session.h"
#include "ui/window_helpers.h"

namespace kelvara::testing {

// A shown main window with the settings panel in view, over a candidate file of ten names.
struct Window : Session {
    Window() : Session(tenNames()) {
        if (!ok) {
            qWarning("the main window did not become active");
        }
    }

    static std::string tenNames() {
        std::string text;
        for (int i = 1; i <= 10; ++i) {
            text += "名字" + std::to_string(i) + "\r\n";
        }
        return text;
    }

    void widen() {
        if (ui::outerWidthTwips(*window) < 9000) {
            control<QPushButton>("Cmd_Size_H")->click();
        }
    }
};

// The offscreen platform warns at every size change of a fixed-size window; the tests
// install this filter (in initTestCase) to keep their logs readable.
inline QtMessageHandler g_testLog = nullptr;
inline void withoutSizeHintNoise(QtMsgType type, const QMessageLogContext& context,
                                 const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints"))) {
        g_testLog(type, context, text);
    }
}

} // namespace kelvara::testing
