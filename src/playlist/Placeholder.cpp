// Replaced as the subsystem grows.
