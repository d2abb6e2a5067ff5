// Prints what the Firebird client library reads from the firebird.conf in the
// folder named by FIREBIRD: its build on the first line, then one line per
// argument "i:Name", "b:Name" or "s:Name" (the name read as an integer, a
// boolean or a text): "Name<TAB>value", a text in brackets or "null", and
// "unknown" for a name the library does not know. Each value is read the way
// its kind is stored: a text of an integer entry is no text at all.
// With the one argument "--folders" it prints instead the folders of its
// build, one "name<TAB>[folder]" line each: root, install and the
// IConfigManager::getDirectory codes of the macros.

#include <firebird/Interface.h>
#include <ibase.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  char build[128] = {};
  isc_get_client_version(build);
  std::printf("%s\n", build);
  Firebird::IMaster* master = Firebird::fb_get_master_interface();
  Firebird::IConfigManager* manager = master->getConfigManager();
  if (argc == 2 && std::strcmp(argv[1], "--folders") == 0) {
    using C = Firebird::IConfigManager;
    std::printf("root\t[%s]\ninstall\t[%s]\n", manager->getRootDirectory(), manager->getInstallDirectory());
    const struct {
      const char* name;
      unsigned code;
    } folders[] = {{"dir_conf", C::DIR_CONF},         {"dir_secDb", C::DIR_SECDB}, {"dir_plugins", C::DIR_PLUGINS},
                   {"dir_udf", C::DIR_UDF},           {"dir_sample", C::DIR_SAMPLE},
                   {"dir_sampleDb", C::DIR_SAMPLEDB}, {"dir_intl", C::DIR_INTL},   {"dir_msg", C::DIR_MSG}};
    for (const auto& f : folders) std::printf("%s\t[%s]\n", f.name, manager->getDirectory(f.code));
    return 0;
  }
  Firebird::IFirebirdConf* conf = manager->getFirebirdConf();
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
