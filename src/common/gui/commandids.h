// Numeric command ids of VantoraPC: menu items, toolbar buttons and
// accelerators. Each id is handled by exactly one handler (see framework.h).
#pragma once

namespace vantora {

enum CommandId : int {
  // Framework commands.
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_CLOSE = 57602,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_PRINT_SETUP = 57606,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_DIRECT = 57608,
  ID_FILE_PRINT_PREVIEW = 57609,
  ID_FILE_MRU_FILE1 = 57616,  // ... ID_FILE_MRU_FILE4 = 57619
  ID_EDIT_COPY = 57634,
  ID_WINDOW_ARRANGE = 57649,
  ID_WINDOW_CASCADE = 57650,
  ID_WINDOW_TILE_HORZ = 57651,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_HELP_VANTORAPC = 57666,
  ID_NEXT_PANE = 57680,
  ID_PREV_PANE = 57681,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,

  // Application commands.
  ID_CHANGE_FONT = 1065,
  ID_DIAGNOSTICS = 1067,
  ID_FILE_TRANSFER = 32785,
  ID_FILE_OPEN_RESULTS = 32806,
  ID_FILE_EXPORT_SITE = 32807,
  ID_HELP_HPC = 32811,
  ID_HELP_POCKETPC = 32812,
  ID_FILE_DOCUMENTS = 32816,
  ID_HELP_WEB_LINKS = 32817,
  ID_HELP_CALIBRATION = 32818,
  ID_HELP_SUPPORT = 32819,

  // Location document and view.
  ID_GRAPH_CREATE = 32771,
  ID_SCROLL_DOWN = 32773,
  ID_SCROLL_UP = 32774,
  ID_SCROLL_END = 32775,
  ID_SCROLL_HOME = 32776,
  ID_SCROLL_LEFT = 32777,
  ID_SCROLL_PAGE_DOWN = 32778,
  ID_SCROLL_PAGE_UP = 32779,
  ID_SCROLL_RIGHT = 32780,
  ID_FILE_EXPORT_CSV = 32784,
  ID_FILE_NOTEBOOK = 32786,
  ID_VIEW_STATISTICS = 32805,

  // Graph view.
  ID_GRAPH_ZOOM_OUT = 53506,
  ID_GRAPH_PAGE_SETUP = 53507,
  ID_FILE_SAVE_DIB = 53509,
  ID_FILE_SAVE_JPEG = 53510,
  ID_GRAPH_ADD_COMMENTS = 32808,
  ID_GRAPH_REMOVE_COMMENTS = 32809,
  ID_GRAPH_SCALE = 32810,
};

// Menu resources: the main frame without a document, the graph document and
// the location document.
constexpr int kMainMenu = 128;
constexpr int kGraphMenu = 129;
constexpr int kLocationMenu = 130;

}  // namespace vantora
