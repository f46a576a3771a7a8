#include "Platform/Updater.h"

namespace velto::platform {

Updater::Updater(QObject* parent) : QObject(parent) {}

Updater::~Updater() = default;

} // namespace velto::platform
