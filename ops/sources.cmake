# Sources of the ops/ layer: the target operations.
target_sources(quillet_core PRIVATE
  ops/BlankCheck.cpp
  ops/BulkErase.cpp
  ops/OperationMessages.cpp
  ops/ProgramOperation.cpp
  ops/ProgramStream.cpp
  ops/ReadStream.cpp
  ops/VerifyCompare.cpp
)
