#pragma once
// The prescription window over two new files with the default catalog, shown, as the benchmarks of its
// keystrokes drive it. `fill` adds rows to the main file before the window opens.

#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "prescription/form2.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/filechooser.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace lichuan::bench {

class Form2Bench {
public:
    explicit Form2Bench(const std::function<void(Database& main)>& fill = {})
        : clock(QDateTime(QDate(2024, 3, 1), QTime(9, 30))) {
        state.StationSuffix = QStringLiteral("b1");
        state.mainDb = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                      Database::OpenMode::CreateNew);
        state.statsDb = Database::open(dir.filePath(QStringLiteral("用药统计.dat")), databaseKey(),
                                       Database::OpenMode::CreateNew);
        schema::createMain(*state.mainDb);
        schema::createStatistics(*state.statsDb);
        defaults::fillMain(*state.mainDb, clock.now());
        if (fill)
            fill(*state.mainDb);
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
        form = std::make_unique<Form2>(*services);
        form->show();
    }

    QTemporaryDir dir;
    ProcessState state;
    FixedClock clock;
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form2> form;
};

} // namespace lichuan::bench
