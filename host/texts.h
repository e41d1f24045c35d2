// Every text the plug-in shows or matches, written once. The plug-in is
// compiled with a Shift_JIS execution character set, so these UTF-8 literals
// reach the binary as the Shift_JIS bytes the host and its users expect.
#pragma once

inline constexpr char kPluginName[] = "Trebbo";
inline constexpr char kPluginInformation[] = "exoファイルのインポート・エクスポート";
inline constexpr char kCheckSkipEmptyScenes[] = "objがないシーンをエクスポートしない";

inline constexpr char kMenuImportAllText[] = "exoファイルを一気にインポート";
inline constexpr char kMenuExportAllText[] = "exoファイルを一気にエクスポート";

// The information text by which extended editing 0.92 is recognised, and the
// name under which it is registered.
inline constexpr char kExeditInformation[] = "拡張編集(exedit) version 0.92 by ＴＯＲＶＥ";
inline constexpr char kExeditName[] = "拡張編集";

inline constexpr char kMsgExeditNotFound[] = "拡張編集0.92が見つかりませんでした";
inline constexpr char kMsgFolderMissing[] =
    "フォルダが存在しません。存在するフォルダを選択してください";

inline constexpr char kTitleExportFolder[] = "Select folder to save";
inline constexpr char kTitleImportFolder[] = "Select folder to import";
