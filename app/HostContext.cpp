#include "app/HostInterface.h"

#include "app/ConfigDialog.h"
#include "app/MessageBox.h"
#include "app/OutcomeRecorder.h"
#include "app/Settings.h"
#include "glo/GLO_CodePage.h"
#include "win/WIN_Exception.h"
#include "win/WIN_FaultTranslation.h"
#include "win/WIN_Locale.h"

namespace app {

HostContext_t::HostContext_t(const HostServices_t& services) {
    m_previous.platform = plm::setPlatform(services.platform);
    m_previous.messageBox = setMessageBoxPresenter(services.messageBox);
    m_previous.dialog = setDialogPresenter(services.dialog);
    m_previous.clock = glo::Time_t::setClock(services.clock);
    m_previous.deleteMetaFile = gdi::setDeleteMetaFile(services.deleteMetaFile);
    m_previous.ansiCodePage = win::setAnsiCodePage(services.ansiCodePage);
    m_previous.outcome = setOutcomeListener(services.outcome);
    m_resources = glo::exchangeResourceModuleState({services.resourceLoader, nullptr});
    m_codePage = glo::CodePage_t::current().number();
    m_paths = exchangePathCache({});
    m_writers = plm::exchangeSettingsWriters({});
}

HostContext_t::~HostContext_t() {
    plm::exchangeSettingsWriters(std::move(m_writers));
    exchangePathCache(std::move(m_paths));
    glo::CodePage_t::setCurrent(m_codePage);
    glo::exchangeResourceModuleState(m_resources);
    setOutcomeListener(m_previous.outcome);
    win::setAnsiCodePage(m_previous.ansiCodePage);
    gdi::setDeleteMetaFile(m_previous.deleteMetaFile);
    glo::Time_t::setClock(m_previous.clock);
    setDialogPresenter(m_previous.dialog);
    setMessageBoxPresenter(m_previous.messageBox);
    plm::setPlatform(m_previous.platform);
}

StartUp_t startUpModule() {
    if (glo::resourceModuleLoader()) {
        try {
            glo::ResourceModule();
        } catch (const win::Error_t&) {
            return StartUp_t::NoLanguageLibrary;
        }
    }
    win::installFaultTranslator();
    try {
        win::applyDefaultLocale();
    } catch (const glo::LocaleDoesNotExist_t&) {
        return StartUp_t::NoLocale;
    }
    return StartUp_t::Ready;
}

} // namespace app
