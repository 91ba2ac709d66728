#include "runs/masterreset.h"

#include "statuslog/mainview.h"
#include "statuslog/statuslog.h"
#include "categories/categoryservices.h"
#include "core/userinterface.h"
#include "phone/commandchannel.h"
#include "phone/obextransfer.h"
#include "phone/variants.h"

MasterReset::MasterReset(CategoryServices& services, ObexTransfer& obex, MainView& view)
    : m_services(services), m_obex(obex), m_view(view)
{
}

void MasterReset::chkMasterReset_Click()
{
    if (!m_view.isTicked(MainView::Box::MasterReset))
        return;
    if (!m_services.ui.askQuestion(QStringLiteral("Master Reset"),
                                   QStringLiteral("Are you sure???\r\nthis will erase all settings "
                                                  "in your phone....")))
        m_view.setTicked(MainView::Box::MasterReset, false);
}

bool MasterReset::SetMasterReset()
{
    // A phone that refused the reset keeps its phonebook and calendar: emptying them would
    // lose them before the restore even starts.
    if (!m_services.sendOk(CMD_SETFACTORYDEFAULT,
                           {variants::text(sPhoneLockCode), variants::int16(1)})) {
        m_services.log.UpdateStat(QStringLiteral("Failed to make a Master Reset"));
        m_services.log.UpdateStat(QStringLiteral("Incorrect phonelock code???"));
        return false;
    }
    CommandChannel& channel = m_services.channel;
    channel.Pause(1);
    m_services.checkPhone();
    m_obex.ObexConnect();
    m_obex.Obex_Put(QStringLiteral("telecom/pb.vcf"), QByteArray());
    m_obex.Obex_Put(QStringLiteral("telecom/cal.vcs"), QByteArray());
    channel.Pause(1);
    m_obex.ObexDisconnect();
    channel.Pause(1);
    return true;
}
