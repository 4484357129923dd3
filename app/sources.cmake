# Sources of the app/ layer.
