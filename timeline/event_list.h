// Every effect of the script, ordered by start time.
#pragma once

#include "fx/effect.h"

#include <boost/shared_ptr.hpp>

#include <vector>

typedef std::vector<boost::shared_ptr<C_FXEffect>> EventList;
