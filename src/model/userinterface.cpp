#include "model/userinterface.h"

namespace Model {

void UserInterface::setStatus(const QString& text)
{
    m_status = text;
    statusChanged(text);
}

void UserInterface::clearList()
{
    m_list.clear();
    listCleared();
}

void UserInterface::addListLine(const QString& line)
{
    m_list.append(line);
    listLineAdded(line);
}

void UserInterface::warn(const QString& message)
{
    addListLine(message);
    setStatus(message);
}

} // namespace Model
