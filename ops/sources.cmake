# Sources of the ops/ layer: the target operations.
target_sources(quillet_core PRIVATE
)
