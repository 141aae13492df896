// The flat C exports of the shared library. Every export catches everything
// at the boundary; none exists yet beyond this translation unit.
