#pragma once

#include <QString>
#include <span>
#include <string>

#include "draw/draw_engine.h"

namespace kelvara::platform {
class AppInfo;
}

// How the main window words what the draw tells and shows.
namespace kelvara::ui::wording {

QString startCaption(draw::StartAction action);
QString listSize(int count);
QString rolling();
QString restored(int restored, int remaining);

// The results were saved: where.
std::string saved(const platform::AppInfo& app);

// The message for a notice; paths in the system's form.
std::string notice(const draw::Notice& notice, const platform::AppInfo& app);

// A prize and the places it has left: "三等奖 还剩12人", "三等奖 已抽完"; a "全部" line's
// waiting list, "一组候补 候补名单还剩9人".
QString prizeStatus(const draw::Results& results, int prize);
inline constexpr char kAbsentTitle[] = "弃奖";
// Marking a winner absent, or taking the mark back: the question that names them, and what
// follows: the prize drawn again for them, or in a procedure the first waiting person moving
// up into their place.
std::string absentQuestion(const draw::Results& results, const draw::ResultEntry& entry);

inline constexpr char kListCheckTitle[] = "名单检查";
// What the list check found, and whether to draw the list anyway.
std::string listProblems(std::span<const draw::ListProblem> problems, const std::string& list);

// The settings file.
std::string settingsDamaged();
std::string settingsNotWritten();
// A sound that did not play: the file, as the data folder names it, or without one the
// built-in rolling sound or fanfare; told once, the draw goes on silently.
std::string soundFailed(const QString& file, bool rolling, const std::string& reason);
// The announcement: nothing to announce yet, and where it was written, asking to print it.
inline constexpr char kPublishTitle[] = "公示";
std::string nothingToPublish();
std::string published(const platform::AppInfo& app);
// "2026年12月8日"
std::string longDate(const platform::LocalDateTime& time);

inline constexpr char kContinueTitle[] = "继续摇号";
std::string continueQuestion(const draw::ContinueOffer& offer);

} // namespace kelvara::ui::wording
