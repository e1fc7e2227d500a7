#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <span>

#include "draw/draw_view.h"
#include "output/verifiable_facts.h"
#include "ui/main/audience_layout.h"
#include "ui/main/audience_look.h"
#include "ui/main/run_panel.h"
#include "ui/repaint_pacer.h"

class QScreen;

namespace kelvara::ui {

class RollLabel;

// The audience view: the draw full screen for a hall, on a screen other than the main
// window's (a projector), or over the main window when there is only one screen. It shows
// the rolling label's text in the label's font family, weight and colours, as large as
// fits, on the main window's background colour, and after a round is listed that round's
// winners in as many columns as they need, in pages of at most kPageSize. With a prize
// plan, the prize being drawn stands above the rolling text and the round's list names the
// prize it was won for; a winner who gave the prize up stays listed, struck out and marked.
// A procedure's round shows the place each person gets beside them, and a waiting list's
// round each person's number on it (候补3).
// The operator's look (audience_look.h) may put a theme's colours, a background picture, a
// logo, the event's title and a picture per prize on it, with shaded bands behind the text.
// Its own keys: F11 or Esc closes it, Up and Down turn the pages, B and "." blank it, F8 and
// M ask for the sound to be muted or heard again. Start and Stop keys reach the draw
// through the main window's key preview.
class AudienceScreen final : public QWidget, public RunPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AudienceScreen)

public:
    using Winner = audience::Winner;
    using ListLayout = audience::ListLayout;
    static constexpr int kPageSize = audience::kPageSize;

    // Owned by the main window, whose background and label it follows.
    AudienceScreen(QWidget& mainWindow, RollLabel& label);

    // The prize being drawn, the listed round on show and a verifiable run's lines.
    void showRun(const draw::RunView& run) override;
    // The digits the witnesses have typed so far, shown until the public input is in.
    void setWitnessParts(const QStringList& parts);

    void setRollText(const QString& text);
    // The prize being drawn, shown above the rolling text; empty shows none.
    void setPrize(const QString& prize);
    // The round's winners, under the prize they won when it is not empty.
    void showRound(QList<Winner> winners, const QString& prize = {});
    // Marks the listed winner with that number absent or present; without one, does nothing.
    void setAbsent(int number, bool absent);
    void clearRound();
    // A verifiable run's lines: the panel stands below the rolling text while no round is
    // listed, the footer under a round's list.
    void setVerifiable(const QStringList& panel, const QString& footer);

    // A rehearsal: "演练" stands in the top right corner, over everything else.
    void setRehearsal(bool rehearsal);
    QRect rehearsalArea() const; // empty when it is no rehearsal

    // Full screen on the audience's screen, with the keyboard; reads the pictures.
    void open();
    bool isBlank() const { return m_blank; }

    // The theme and which pictures and title show; the pictures are read again when open.
    void setLook(const audience::Look& look);
    audience::Look look() const { return m_look; }
    // The folder the pictures are read from.
    void setPictureFolder(const QString& folder);
    QString pictureFolder() const { return m_pictureFolder; }
    // The event's title, shown at the top when the look says so.
    void setEventTitle(const QString& title);
    // How a damaged picture is told, once each; without it, it is not told.
    void setTeller(std::function<void(const QString&)> tell) { m_tell = std::move(tell); }
    // Reads the background, the logo and the prizes' pictures on show again.
    void readPictures();

    // Where and how things are drawn (test hooks).
    ListLayout listLayout() const { return m_list; }
    QString rollText() const { return m_rollText; }
    QRect rollArea() const;
    QFont rollFont() const;
    QString prize() const { return m_prize; }
    QRect prizeArea() const; // empty without a prize
    QFont prizeFont() const;
    QScreen* chosenScreen() const;
    QStringList verifiablePanel() const { return m_verifiablePanel; }
    QRect backgroundRect() const; // where the background picture is drawn; empty without
    QRect logoArea() const;
    QRect titleArea() const;             // empty without a title on show
    QRect prizePictureArea() const;      // beside the prize being drawn; empty without
    QRect roundPrizePictureArea() const; // beside the listed round's heading; empty without

signals:
    void muteKeyPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followScreens();
    void placeOnScreen();
    void turnPage(int step);
    void layOutList();
    QRect content() const;
    int topStripHeight() const;
    QRect rollBox() const;
    QRect listBox() const;
    QRect rollBoxInside() const;
    QRect headingArea() const;
    QFont labelFont(int pixelSize) const;
    void paintRoll(QPainter& painter) const;
    void paintList(QPainter& painter) const;
    void paintVerifiable(QPainter& painter) const;
    void paintRehearsal(QPainter& painter) const;
    void paintTop(QPainter& painter) const;
    const QPixmap& backdrop();
    QColor backColour() const;
    QColor textColour() const;
    QColor prizeColour() const;
    QColor bandColour() const;
    void readPrizePicture(const QString& prize);
    QImage prizePicture(const QString& prize) const;
    QPixmap scaledPicture(const QImage& image, QSize size) const;
    void tellDamaged(const audience::Picture& picture, bool background);
    bool rollAlone() const { return m_winners.isEmpty() && m_verifiablePanel.isEmpty(); }
    void showListedRound(QList<Winner> winners, const QString& prize);
    void showVerifiableFacts();

    QWidget& m_mainWindow;
    const RollLabel& m_label;
    QString m_rollText;
    QString m_prize;
    QList<Winner> m_winners;
    QString m_roundPrize;
    ListLayout m_list;
    QStringList m_verifiablePanel;
    QString m_verifiableFooter;
    std::optional<output::VerifiableFacts> m_verifiableFacts;
    QStringList m_witnessParts;
    bool m_blank = false;
    bool m_rehearsal = false;
    audience::Look m_look;
    QString m_pictureFolder;
    QString m_eventTitle;
    std::function<void(const QString&)> m_tell;
    QStringList m_told; // damaged pictures already told
    QImage m_background;
    QImage m_logo;
    QHash<QString, QImage> m_prizePictures; // null: none
    // The background, the top strip and the rolling text's band, drawn once per layout, so
    // that painting while rolling copies them.
    QPixmap m_backdrop;
    QString m_backdropKey;
    mutable QHash<QString, QPixmap> m_scaled; // prize pictures at the size drawn
    RepaintPacer m_pacer{*this};
};

} // namespace kelvara::ui
