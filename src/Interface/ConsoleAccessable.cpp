#include "Interface/ConsoleAccessable.h"

#include "Interface/Console.h"

#include <utility>

ConsoleAccessable::ConsoleAccessable(std::string name)
    : name(std::move(name))
{
}

ConsoleAccessable::~ConsoleAccessable()
{
    Console::getInstance().unregisterHandler(this);
}
