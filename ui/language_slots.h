// The language table's slots in the order they are loaded, each with the text
// it holds until the language file supplies one.
//
// X(key, built-in text)
#pragma once

#define VELKOR_LANGUAGE_SLOTS(X)                                                              \
  X(MACRO_ACTION_RECORD_DELAY, u"RecordDelay")                                                \
  X(MACRO_NEW_PREFIX, u"Macro")                                                               \
  X(MACRO_ERR_MAX, u"The maximum number of macro: %d   ")                                     \
  X(MACRO_ERR_SAME, u"Same macro name!   ")                                                   \
  X(MACRO_ERR_NAME_SYSTEM, u"This macro is used in the system! ")                             \
  X(MACRO_DEFAULT_NAME, u"Empty Macro")                                                       \
  X(MACRO_ERR_RECORD, u"Please stop the macro record first! ")                                \
  X(MACRO_KEYS_TISHI, u"hello world")                                                         \
  X(MACRO_ACTION_TISHI, u"hello world")                                                       \
  X(MACRO_DELAY_MS, u"hello world")                                                           \
  X(MACRO_ACTION_CLEAR_CONFIRM, u"Really need to clear the macro action? ")                   \
  X(MACRO_ACTION_ERR_MODIFY, u"You can not edit, use the macro record button. ")              \
  X(MACRO_ACTION_ERR_DELAY_MAX, u"Maximum delay time is: %d(ms) ")                            \
  X(MACRO_ACTION_RECORD, u"Record")                                                           \
  X(MACRO_ACTION_STOP_RECORD, u"Stop Record")                                                 \
  X(EXTRA_MACRO_TOO_LONG,                                                                     \
    u"Macro space exceeds the hardware space.\r\n Please reduce the number of macros or macro " \
    u"action number\uFF0Cand then download.")                                                 \
  X(UNKNOWN_KEY, u"Unknown Key: %03x")                                                        \
  X(MEDIA_PALYER_1, u"Hello world")                                                           \
  X(MEDIA_PALY_PAUSE_2, u"Hello world")                                                       \
  X(MEDIA_STOP_PALY_3, u"Hello world")                                                        \
  X(MEDIA_PREV_TRACK_4, u"Hello world")                                                       \
  X(MEDIA_Next_TRACK_5, u"Hello world")                                                       \
  X(MEDIA_V_LOW_6, u"Hello world")                                                            \
  X(MEDIA_V_ADD_7, u"Hello world")                                                            \
  X(MEDIA_MUTE_8, u"Hello world")                                                             \
  X(MEDIA_WWW_HOME_9, u"Hello world")                                                         \
  X(MEDIA_WWW_REFRESH_10, u"Hello world")                                                     \
  X(MEDIA_WWW_STOP_11, u"Hello world")                                                        \
  X(MEDIA_WWW_BACK_12, u"Hello world")                                                        \
  X(MEDIA_WWW_FORWARD_13, u"Hello world")                                                     \
  X(MEDIA_WWW_FAVORITE_14, u"Hello world")                                                    \
  X(MEDIA_WWW_SEARCH_15, u"Hello world")                                                      \
  X(MEDIA_MY_PC_16, u"Hello world")                                                           \
  X(MEDIA_CALC_17, u"Hello world")                                                            \
  X(MEDIA_MAIL_18, u"Hello world")                                                            \
  X(FUNC_KEY_DESC1, u"Open")                                                                  \
  X(FUNC_KEY_DESC2, u"New")                                                                   \
  X(FUNC_KEY_DESC3, u"Undo")                                                                  \
  X(FUNC_KEY_DESC4, u"Save")                                                                  \
  X(FUNC_KEY_DESC5, u"Copy")                                                                  \
  X(FUNC_KEY_DESC6, u"Cut")                                                                   \
  X(FUNC_KEY_DESC7, u"Paste")                                                                 \
  X(FUNC_KEY_DESC8, u"Find")                                                                  \
  X(FUNC_KEY_DESC9, u"Select All")                                                            \
  X(FUNC_KEY_DESC10, u"Zoom-")                                                                \
  X(FUNC_KEY_DESC11, u"Zoom+")                                                                \
  X(APPLY_PROMPT, u"No Use!")                                                                 \
  X(MACRO_DELETE_CONFIRM_OF_KEYS,                                                             \
    u"Detect some key points to set this macro, \n  really need to remove this macro?  ")     \
  X(KEY_PROMPT, u"No Use!")                                                                   \
  X(KEY_PROMPT_SET, u"Keys, Set: ")                                                           \
  X(KEY_PROMPT_SINGLE, u"Key(")                                                               \
  X(KEY_PROMPT_MACRO, u"Macro(")                                                              \
  X(KEY_PROMPT_MEDIA, u"Media(")                                                              \
  X(KEY_PROMPT_FUNCTION, u"Function(")                                                        \
  X(DEFAULT_PROFILE_NAME, u"<Default Profile>")                                               \
  X(PROFILE_SELECT_PROMPT, u"Whether to save the profile settings made?")                     \
  X(PROFILE_SEELCT_PROMPT2,                                                                   \
    u"When fast switch scene mode, you must first close the editor dialog box.")              \
  X(PROFILE_FORMAT_ERROR, u"wrong file format, revert to the default values: \n  %s")         \
  X(PROFILE_NEW, u"\\The new contextual  mode")                                               \
  X(PROFILE_TIP, u"The current contextual  mode: ")                                           \
  X(EXTRA_PROFILE_SPACE_TIGHT,                                                                \
    u"shortage of hardware space, cancelled the macro name of storage.")                      \
  X(MAIN_UPDATE_ERROR_TEXT, u"请选择正确的更新文件! ")                                        \
  X(MAIN_BOOT_ERROR_TEXT, u"无法进入Boot模式! ")                                              \
  X(MAIN_SHELL_ERROR_TEXT, u"无法执行更新文件! ")                                             \
  X(MAIN_SHELL_ERROR_BOOT_TEXT,                                                               \
    u"Cannot run the update file! The keyboard waits for its firmware and types nothing: "    \
    u"unplug it and plug it in again.")                                                       \
  X(MAIN_UPDATE_BACKUP_OK, u"备份成功!")                                                      \
  X(MAIN_UPDATE_BACKUP_NG, u"备份失败,请重新备份!")                                           \
  X(KEYBOARD_TRAY_DESC, u"Pellmar")                                                           \
  X(MAIN_CAPTION, u"Gaming Keyboard Settings")                                                \
  X(MAIN_HELP_PROMPT, u"Help")                                                                \
  X(MAIN_MINIMIZE_PROMPT, u"Minimize")                                                        \
  X(MAIN_MENU_PROMPT, u"Menu")                                                                \
  X(MAIN_CLOSE_PROMPT, u"Close")                                                              \
  X(MAIN_BUTTON_TARVO_VER, u"")                                                               \
  X(MAIN_PROMPT_DEFAULT, u"Do you want to restore the default settings?")                     \
  X(MAIN_PROMPT_INPORT, u"File format error, import failed! ")                                \
  X(MAIN_PROMPT_DRIVER_TEXT,                                                                  \
    u"Detects that the driver is not installed keyboard, \r\npress [OK] to start the driver "  \
    u"installation!")                                                                         \
  X(MAIN_PROMPT_DRIVER_TITLE, u"Pellmar")                                                     \
  X(MAIN_SWITCH_FUNCTION_TEXT, u"Switch to the color keys mode")                              \
  X(MAIN_SWITCH_COLOR_TEXT, u"Switch to the function keys mode")                              \
  X(MAIN_DEFAULT_MATRIX_PROMPT, u"Reads the default keyboard layout failure")                 \
  X(MAIN_NO_DEVICE_PROMPT, u"Device is not detected\uFF0Cthe key settings can not be displayed! ") \
  X(MAIN_PROMPT_APPLY_FAILED,                                                                 \
    u"The keyboard did not take the settings. They are kept: press Apply to send them again.") \
  X(MAIN_PROMPT_EXIT_UNAPPLIED,                                                               \
    u"Some settings have not been applied. Apply them before the program ends?")              \
  X(MACRO_MEMORY, u"Memory: %s of %s bytes")                                                  \
  X(MACRO_MEMORY_NO_NAMES, u"Memory: %s of %s bytes (no names)")                              \
  X(MACRO_MEMORY_FULL, u"Memory: %s of %s bytes: too much!")                               \
  X(MACRO_MEMORY_UNKNOWN, u"Memory: %s bytes")                                                \
  X(KEY_EDITOR_NO_PROFILE,                                                                    \
    u"The keyboard has not said which profile is active, so its keys cannot be edited now. " \
    u"Unplug it and plug it in again.")

// The main window's eight button captions, in their own slots.
#define VELKOR_MAIN_CAPTIONS(X) \
  X(PROFILE_1)                  \
  X(PROFILE_2)                  \
  X(PROFILE_3)                  \
  X(PROFILE_MACRO)              \
  X(PROFILE_DEFAULT)            \
  X(PROFILE_OK)                 \
  X(PROFILE_CANCLE)             \
  X(PROFILE_APPLY)

// The composite key dialog's 24 keys in the order it reads them.
#define VELKOR_COMPOSITE_KEYS(X)                                   \
  X(COMPOSITE_PROMPT_CLEAR, u"Restore the default functiong of buttons") \
  X(COMPOSITE_PROMPT_OSK, u"Open the on-screen keyboard")          \
  X(COMPOSITE_MACRO_OVER, u"Macro space beyond hardware store size") \
  X(MACRO_CYCLES, u"Cycles")                                       \
  X(RECORD_DELAY, u"Record Delay")                                 \
  X(SINGLE_KEY, u"hello")                                          \
  X(MACRO_SETTING, u"hello")                                       \
  X(MULTI_MEDIA, u"hello")                                         \
  X(FUNCTION_KEY, u"hello")                                        \
  X(A_TOP, u"hello")                                               \
  X(A_UP, u"hello")                                                \
  X(A_DOWN, u"hello")                                              \
  X(A_BOTTOM, u"hello")                                            \
  X(A_RECORD, u"hello")                                            \
  X(A_DELETE, u"hello")                                            \
  X(A_CLEAR, u"hello")                                             \
  X(MACRO_OK, u"hello")                                            \
  X(MACRO_CANCLE, u"hello")                                        \
  X(SINGLE_STATIC, u"hello")                                       \
  X(MACRO_NAME_SETTING, u"hello")                                  \
  X(KEY_SETTING_TISHI, u"hello")                                   \
  X(MACRO_EDIT_TISHI, u"hello")                                    \
  X(MEDIA_EDIT_TISHI, u"hello")                                    \
  X(FUNCTION_TISHI, u"hello")
