#include "ThirdPartyConsent.h"

#include "Console.h"
#include "SmokeTest.h"

#include <Platform/Application.h>
#include <Platform/ConsentAlert.h>

namespace velto {

bool warnBeforeFirstThirdPartyLoad(const QString& identity, bool isSmokeTest) {
    if (isSmokeTest) {
        Console::printLine(SmokeTest::autoApprovedLine(identity));
        return true;
    }
    platform::Application::activateIgnoringOtherApps();
    return platform::ConsentAlert::run(identity);
}

} // namespace velto
