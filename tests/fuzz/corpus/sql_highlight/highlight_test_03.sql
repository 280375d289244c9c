select a
from t