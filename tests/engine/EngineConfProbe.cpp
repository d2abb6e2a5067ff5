// Prints what the Firebird client library reads from the firebird.conf in the
// folder named by FIREBIRD: its build on the first line, then one line per
// argument "i:Name", "b:Name" or "s:Name" (the name read as an integer, a
// boolean or a text): "Name<TAB>value", a text in brackets or "null", and
// "unknown" for a name the library does not know. Each value is read the way
// its kind is stored: a text of an integer entry is no text at all.

#include <firebird/Interface.h>
#include <ibase.h>

#include <cstdio>

int main(int argc, char** argv) {
  char build[128] = {};
  isc_get_client_version(build);
  std::printf("%s\n", build);
  Firebird::IMaster* master = Firebird::fb_get_master_interface();
  Firebird::IFirebirdConf* conf = master->getConfigManager()->getFirebirdConf();
  for (int i = 1; i < argc; ++i) {
    const char kind = argv[i][0];
    const char* name = argv[i] + 2;
    const unsigned key = conf->getKey(name);
    if (key == ~0u) {
      std::printf("%s\tunknown\n", name);
    } else if (kind == 'i') {
      std::printf("%s\t%lld\n", name, static_cast<long long>(conf->asInteger(key)));
    } else if (kind == 'b') {
      std::printf("%s\t%s\n", name, conf->asBoolean(key) ? "true" : "false");
    } else {
      const char* text = conf->asString(key);
      std::printf(text ? "%s\t[%s]\n" : "%s\tnull\n", name, text);
    }
  }
  conf->release();
  return 0;
}
