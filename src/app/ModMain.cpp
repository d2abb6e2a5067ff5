#include "app/ModMain.h"

TModMainDM::TModMainDM(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("ModMainDM"));
}
