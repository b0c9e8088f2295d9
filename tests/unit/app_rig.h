#pragma once
// The menu commands and the control panel wired to recording fakes.
#include "app/app_ports.h"
#include "app/menu_commands.h"
#include "fakes/fake_document_viewer_port.h"
#include "fakes/fake_file_dialog_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_main_window_port.h"
#include "fakes/fake_save_text_file_port.h"
#include "fakes/fake_settings_access.h"
#include "fakes/fake_ui_port.h"

namespace kestrel {

struct AppRig {
    ModemState state;
    MemorySettings settings;
    RecordingUi ui;
    RecordingLogger logger;
    FakeMainWindow mainWindow;
    FakeFileDialogs dialogs;
    FakeSaveTextFile textFile;
    FakeDocumentViewer documents;
    AppPorts app{state, settings, ui, logger, mainWindow};
    MenuCommands menu{
        app, dialogs, textFile, documents, "C:\\Radio\\Kestrel.exe", "C:\\Radio\\Kestrel.ini"};
};

}  // namespace kestrel
