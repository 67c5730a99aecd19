// One application record.
#include "appmanager/PMAppNode.h"

namespace vellumry {

QString PMAppNode::imageTitle() const
{
    // The path-extension rule: the text after the last '.', unless that '.' starts the name.
    const qsizetype dot = m_appName.lastIndexOf(u'.');
    return dot > 0 ? m_appName.left(dot) : m_appName;
}

} // namespace vellumry
