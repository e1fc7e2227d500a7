#include "failure_wording.h"

#include "platform/app_info.h"

namespace kelvara::ui::wording {

namespace {

constexpr char kSaveFailed[] = "保存失败！无法写入文件：";
constexpr char kPrintFailed[] = "打印失败：";

// "<what>（<the system's words>）", or what alone when the system said nothing.
std::string withDetail(const std::string& what, const std::string& detail) {
    return detail.empty() ? what : what + "（" + detail + "）";
}

bool isPrinting(platform::FailureKind kind) {
    using platform::FailureKind;
    return kind == FailureKind::PrintRefused || kind == FailureKind::PrintNotRun ||
           kind == FailureKind::PrintExitCode;
}

} // namespace

std::string failureReason(const platform::Failure& failure) {
    using platform::FailureKind;
    switch (failure.kind) {
    case FailureKind::System:
    case FailureKind::PrintRefused:
        return failure.detail;
    case FailureKind::DiskFull:
        return withDetail("磁盘已满", failure.detail);
    case FailureKind::ReadOnly:
        return withDetail("磁盘或文件夹只能读取、不能写入", failure.detail);
    case FailureKind::NoScratch:
        return withDetail("无法使用临时文件夹 " + failure.path, failure.detail);
    case FailureKind::LockFailed:
        return "无法锁定记录文件";
    case FailureKind::HeldElsewhere:
        return "另一个正在运行的摇号程序正在使用这个记录";
    case FailureKind::NoRecord:
        return "没有打开的记录";
    case FailureKind::PrintNotRun:
        return failure.program + "：" + failure.detail;
    case FailureKind::PrintExitCode:
        return failure.program + " 返回错误代码 " + std::to_string(failure.exitCode);
    }
    return failure.detail;
}

// Without this the results of the whole run would be lost with the program; the box keeps
// them, so the operator can free the file or the disk and save again. A print that failed
// says so, or the operator would wait for a page that never comes.
std::string outputFailed(const platform::Failure& failure, const platform::AppInfo& app) {
    const std::string reason = failureReason(failure);
    if (isPrinting(failure.kind)) {
        return kPrintFailed + reason;
    }
    std::string message = kSaveFailed + app.displayPath(failure.path);
    if (!reason.empty()) {
        message += '\n';
        message += reason;
    }
    return message;
}

} // namespace kelvara::ui::wording
