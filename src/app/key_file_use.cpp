#include "app/key_file_use.h"

#include "app/app.h"
#include "common/text_format.h"

void LoadKeyFileSetting(App& app) {
  app.keys.Clear();
  const std::string& path = app.settings.KeyFile;
  if (path.empty()) return;
  KeyFileLoad load = LoadKeyFile(path);
  if (load.refused) {
    app.LogWithPcTime(load.refusal);
    return;
  }
  for (const KeyFileProblem& p : load.parse.problems) {
    app.LogWithPcTime(StrPrintf("鍵ファイル %s の %d 行目を使いません(%s)", path.c_str(), p.line, p.reason.c_str()));
  }
  app.keys = std::move(load.parse.keys);
  app.LogWithPcTime(StrPrintf("鍵ファイル %s から鍵を %zu 個読みました", path.c_str(), app.keys.Size()));
}
