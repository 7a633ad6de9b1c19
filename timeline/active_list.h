// The effects active now, lowest z first; equal z in order of activation.
#pragma once

#include "fx/effect.h"

#include <boost/shared_ptr.hpp>

#include <list>

typedef std::list<boost::shared_ptr<C_FXEffect>> ActiveList;
