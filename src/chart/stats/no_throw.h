// Boost.Math reports errors by exception unless told otherwise; under this
// policy every error comes back as a value (NaN, infinity or zero) instead,
// as the chart reports all its errors.
#pragma once

#include <boost/math/policies/policy.hpp>

using NoThrow = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::errno_on_error>,
    boost::math::policies::pole_error<boost::math::policies::errno_on_error>,
    boost::math::policies::overflow_error<boost::math::policies::errno_on_error>,
    boost::math::policies::evaluation_error<boost::math::policies::errno_on_error>,
    boost::math::policies::rounding_error<boost::math::policies::errno_on_error>>;
