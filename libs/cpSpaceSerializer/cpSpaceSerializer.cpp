// Replaced by the physics file serializer.
