#pragma once

#include "platform/app_info.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/font_catalog.h"
#include "platform/hashes.h"

// The runtime services, each behind its own narrow interface: the engine sees the list's
// reader, the random source, the clock and the records; the output layer the writer and
// the printer; the windows the dialogs and the fonts. Services gathers them for the one
// place that hands them out, the main window. Plain standard C++; all text is UTF-8.
namespace kelvara::platform {

class RandomSource;
class RecordStore;

class Services : public Dialogs,
                 public AppInfo,
                 public FileReader,
                 public FileWriter,
                 public Printer,
                 public WallClock,
                 public FontCatalog,
                 public Hashes {
public:
    virtual RandomSource& random() = 0;
    // The draw records, in the folder beside the candidate list.
    virtual RecordStore& records() = 0;
};

} // namespace kelvara::platform
