select a
from t